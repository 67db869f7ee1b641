// The connector's crawl on its own, for end-to-end tests of the crawl:
//   brw_crawl_host <notes.ini> <period in seconds>
// Registers the user's crawl root as the connector does at start, then runs
// crawl_databases through the command client on the main thread, a
// single-threaded apartment as the connector's. Prints "crawling" before
// the crawl starts and "pass N ended" each time one of its passes ends, the
// crawl's own signal, with the milliseconds since the crawl started and the
// process's private bytes and handle count then (for the benchmark); runs
// until it is ended.
#include "common/WideString.h"
#include "connector/BRWClient.h"
#include "connector/CrawlRoot.h"
#include "connector/UserIdentity.h"
#include "notesdata/exports/BRWDataExports.h"

#include <windows.h>
#include <objbase.h>
#include <notesapi.h>
#include <psapi.h>

#include <cstdio>
#include <string>
#include <thread>

namespace {

constexpr wchar_t kPrologue[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>";

void Say(const std::string& line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Handle values are multiples of four; past this one a probe finds none
// in a process of this size.
constexpr ULONG_PTR kLastProbedHandle = 0x10000;

// The process's handle count. Windows answers GetProcessHandleCount; Wine
// answers it with zero, so then the handle values are probed one by one.
DWORD HandleCount()
{
    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles) && handles != 0) {
        return handles;
    }
    for (ULONG_PTR value = 4; value <= kLastProbedHandle; value += 4) {
        DWORD flags = 0;
        handles += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
    }
    return handles;
}

std::string ProcessFigures()
{
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
    const DWORD handles = HandleCount();
    return "private " + std::to_string(memory.PagefileUsage / 1024) + " KB, handles " + std::to_string(handles);
}

// Reports every pass for as long as the process lives.
void ReportPasses(ULONGLONG start)
{
    for (unsigned long pass = 1;; ++pass) {
        if (!BRWCrawlWaitForPass(INFINITE)) {
            return; // the crawl has no signal to give
        }
        const ULONGLONG at = GetTickCount64() - start;
        Say("pass " + std::to_string(pass) + " ended at " + std::to_string(at) + " ms, " + ProcessFigures());
    }
}

bool StartNotes(const wchar_t* iniPath)
{
    std::string ini = "=" + brw::WideToUtf8(iniPath);
    char program[] = "brw_crawl_host";
    char* notesArguments[] = {program, ini.data()};
    return NotesInitExtended(2, notesArguments) == NOERROR_STATUS;
}

int Crawl(const std::wstring& period)
{
    const HRESULT root = brw::RegisterCrawlRoot();
    if (FAILED(root)) {
        std::fprintf(stderr, "no crawl root: 0x%08lX\n", static_cast<unsigned long>(root));
        return 1;
    }
    BRWCommandContext context = 0;
    if (InitializeCommandContext(&context) != 0) {
        std::fprintf(stderr, "no command context\n");
        return 1;
    }
    std::thread(ReportPasses, GetTickCount64()).detach();
    Say("crawling");
    const std::wstring request =
        std::wstring(kPrologue) + L"<crawl_databases sid=\"" + brw::UserIdentity() + L"\" period=\"" + period + L"\"/>";
    const int result = ExecuteCommand(context, request.c_str());
    FreeCommandContext(context);
    return result;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: brw_crawl_host <notes.ini> <period in seconds>\n");
        return 2;
    }
    if (!StartNotes(argv[1])) {
        std::fprintf(stderr, "Notes does not start\n");
        return 1;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        NotesTerm();
        return 1;
    }
    const int result = Crawl(argv[2]);
    CoUninitialize();
    NotesTerm();
    return result;
}
