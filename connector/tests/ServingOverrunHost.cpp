// The program's end after an overdue stop, for the serving tests:
//   serving_overrun_host <notes.ini> <pipe name>
// Serves on the pipe, holds one serving thread with a client of its own that
// never reads its reply, stops with a short wait and, as the program does
// when the stop is overdue, returns without ending Notes. Exit code 0 when
// the stop was overdue, 1 when it was not, 2 when serving did not start.
#include "common/Handles.h"
#include "common/WideString.h"
#include "connector/Serving.h"

#include <windows.h>
#include <notesapi.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr DWORD kShortStopMs = 300;
constexpr DWORD kConnectWaitMs = 30000;
// Nothing signals that the serving thread has made its pipe: asked again at
// this pace until it is there.
constexpr DWORD kConnectRetryMs = 20;

brw::KernelHandle g_crawlStop(CreateEventW(nullptr, TRUE, FALSE, nullptr));

DWORD WINAPI CrawlUntilStopped(void* parameter) noexcept
{
    std::unique_ptr<std::wstring> request(static_cast<std::wstring*>(parameter));
    WaitForSingleObject(g_crawlStop.get(), INFINITE);
    return 0;
}

void StopCrawl() noexcept
{
    SetEvent(g_crawlStop.get());
}

HRESULT NoRegistration() noexcept
{
    return S_OK;
}

// The client end, left open to the process's end: its serving thread waits
// in the flush of its reply meanwhile.
HANDLE ConnectAndAsk(const std::wstring& pipeName)
{
    HANDLE pipe = INVALID_HANDLE_VALUE;
    const HANDLE pace = g_crawlStop.get(); // never set before the stop
    for (ULONGLONG deadline = GetTickCount64() + kConnectWaitMs;
         pipe == INVALID_HANDLE_VALUE && GetTickCount64() < deadline;) {
        pipe = CreateFileW(pipeName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (pipe == INVALID_HANDLE_VALUE) {
            WaitForSingleObject(pace, kConnectRetryMs);
        }
    }
    const std::wstring request = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_database_list/>";
    DWORD mode = PIPE_READMODE_MESSAGE;
    DWORD written = 0;
    if (pipe == INVALID_HANDLE_VALUE || !SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr) ||
        !WriteFile(pipe, request.c_str(), static_cast<DWORD>((request.size() + 1) * sizeof(wchar_t)), &written,
                   nullptr)) {
        return INVALID_HANDLE_VALUE;
    }
    return pipe;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: serving_overrun_host <notes.ini> <pipe name>\n");
        return 2;
    }
    std::string ini = "=" + brw::WideToUtf8(argv[1]);
    char program[] = "serving_overrun_host";
    char* notesArguments[] = {program, ini.data()};
    if (NotesInitExtended(2, notesArguments) != NOERROR_STATUS) {
        return 2;
    }
    brw::ServingParts parts;
    parts.registerCrawlRoot = &NoRegistration;
    parts.pipeName = argv[2];
    parts.crawl = &CrawlUntilStopped;
    parts.stopCrawl = &StopCrawl;
    brw::Serving serving(std::move(parts));
    if (serving.Start() != brw::ServingStart::Serving || ConnectAndAsk(argv[2]) == INVALID_HANDLE_VALUE) {
        return 2;
    }
    if (serving.Stop(kShortStopMs) != brw::ServingStop::Overdue) {
        NotesTerm();
        return 1;
    }
    // Notes stays as it is: a thread of ours is still inside a request.
    return 0;
}
