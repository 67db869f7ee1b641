#pragma once
// The connector's pipe server: one blocking instance of the pipe the
// protocol handler asks its questions on, one request per connection, each
// run through the command client on this thread.
#include "common/Handles.h"
#include "common/PipeProtocol.h"

#include <windows.h>

#include <atomic>
#include <string>

namespace brw {

// Decides from a connected client's process id whether it may be served.
using ClientAdmission = bool (*)(DWORD clientProcessId);

// Who owns what: the thread that calls ServeUntilStopped makes the command
// context, uses it and frees it before returning; the pipe belongs to the
// Listener and is closed by whichever thread destroys it, after serving ended.
class Listener {
public:
    // Serves clients that run as the user this process runs as.
    explicit Listener(std::wstring pipeName = kConnectorPipeName);
    Listener(std::wstring pipeName, ClientAdmission admits);
    virtual ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Creates the pipe, reachable by this user and SYSTEM only; false when it
    // cannot be made or a pipe of that name exists already.
    bool Open();
    // Makes the command context and serves connections until a stop is asked
    // for or the wait for a client fails; frees the context before it returns.
    void ServeUntilStopped();
    // Seen between connections: the server is normally waiting for a client
    // and ends after the next one.
    void RequestStop() { stop_ = true; }

private:
    // False when serving must end.
    bool ServeOneConnection(DWORD context);
    bool AdmitsConnectedClient() const;
    void Answer(DWORD context, const wchar_t* request);

    std::wstring pipeName_;
    ClientAdmission admits_;
    FileHandle pipe_;
    std::atomic<bool> stop_{false};
};

// Asks the running pipe server thread to stop. False when no server thread
// runs (not started yet, or already ended): then nothing is touched and a
// later start serves as usual.
bool RequestPipeServerStop() noexcept;

// True while a pipe server thread serves.
bool IsPipeServerRunning() noexcept;

// The pipe server thread: prepares itself for Notes, serves, cleans up.
// parameter: a heap-allocated std::wstring pipe name the thread takes over,
// or null for kConnectorPipeName.
DWORD WINAPI PipeServerThread(void* parameter) noexcept;

} // namespace brw
