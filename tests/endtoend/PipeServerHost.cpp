// The connector's pipe server on its own, for end-to-end tests of the
// protocol handler's side:
//   brw_pipe_server_host <notes.ini> <pipe name>
// Prints "ready" once the pipe exists, then serves until it is ended.
#include "common/WideString.h"
#include "connector/PipeServer.h"

#include <windows.h>
#include <notesapi.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: brw_pipe_server_host <notes.ini> <pipe name>\n");
        return 2;
    }
    std::string ini = "=" + brw::WideToUtf8(argv[1]);
    char program[] = "brw_pipe_server_host";
    char* notesArguments[] = {program, ini.data()};
    if (NotesInitExtended(2, notesArguments) != NOERROR_STATUS || NotesInitThread() != NOERROR_STATUS) {
        std::fprintf(stderr, "Notes does not start\n");
        return 1;
    }
    brw::Listener listener(argv[2]);
    if (!listener.Open()) {
        std::fprintf(stderr, "cannot make the pipe\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    listener.ServeUntilStopped();
    NotesTermThread();
    NotesTerm();
    return 0;
}
