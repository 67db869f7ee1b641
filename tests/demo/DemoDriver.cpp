// The demo's hands: the steps of a user's session that a shell script
// cannot take under Wine by itself. Prints what the user would have seen;
// exit code 0 when the step was done, 1 when not, 2 for a wrong command.
//
//   brw_demo_driver logon PASSWORD
//   brw_demo_driver open URL PASSWORD
//   brw_demo_driver crawl-now TIMEOUT_MS WORD COUNT [WORD COUNT]...
//   brw_demo_driver wait-found WORD COUNT TIMEOUT_MS
//   brw_demo_driver connector-serves TIMEOUT_MS
//   brw_demo_driver watch-crawl STEADY_MS TIMEOUT_MS
//
// open also prints, after what was seen, each line the programs wrote with
// OutputDebugString meanwhile ("debug output: ..."): the handler's failure
// trail. crawl-now waits, after asking, until each WORD finds COUNT results
// and says how long after the request each did. connector-serves says at
// once when no connector runs, else waits for its window and pipe.
// watch-crawl prints "documents indexed N, waiting M" as the catalogue fills
// (at most once a second), then "finished UNIX_MS N FIRST_UNIX_MS": when the
// final count N and the first item were first seen, in milliseconds since
// 1970 as date(1) counts.
#include "common/WideString.h"
#include "tests/demo/ConnectorServing.h"
#include "tests/demo/DebugOutputWatch.h"
#include "tests/demo/DemoSteps.h"
#include "tests/demo/FirstCrawlWatch.h"
#include "tests/demo/SearchWait.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Long enough for a cold start of a program under Wine.
constexpr DWORD kStepTimeoutMs = 60000;

bool ReadCount(const wchar_t* text, int* count)
{
    *count = _wtoi(text);
    return *count >= 0;
}

bool ReadTimeout(const wchar_t* text, DWORD* timeoutMs)
{
    const long limit = _wtol(text);
    *timeoutMs = static_cast<DWORD>(limit);
    return limit > 0;
}

// Prints the milliseconds waited; exit code 0 when the count was reached.
int WaitFound(const wchar_t* word, const wchar_t* count, const wchar_t* timeout)
{
    int expected = 0;
    DWORD limit = 0;
    if (!ReadCount(count, &expected) || !ReadTimeout(timeout, &limit)) {
        return 2;
    }
    const brwdemo::SearchOutcome outcome = brwdemo::WaitForResultCount(word, expected, limit);
    std::printf("%llu ms, %d found\n", outcome.waitedMs, outcome.count);
    return outcome.reached ? 0 : 1;
}

int Report(const brwdemo::StepResult& result)
{
    std::printf("%s\n", brw::WideToUtf8(result.seen).c_str());
    return result.done ? 0 : 1;
}

int OpenWatchingTheTrail(const std::wstring& url, const std::wstring& password)
{
    brwdemo::DebugOutputWatch watch;
    const int code = Report(brwdemo::OpenAsExplorer(url, password, kStepTimeoutMs));
    if (!watch.IsWatching()) {
        std::printf("debug output: not watched, another reader holds the buffer\n");
    }
    for (const brwdemo::DebugLine& line : watch.Finish()) {
        std::printf("debug output: %s%s", line.text.c_str(), line.text.empty() || line.text.back() != '\n' ? "\n" : "");
    }
    return code;
}

// argv holds TIMEOUT_MS, then WORD COUNT pairs.
int CrawlNowAndWait(int argc, wchar_t** argv)
{
    DWORD limit = 0;
    if (argc < 3 || argc % 2 == 0 || !ReadTimeout(argv[0], &limit)) {
        return 2;
    }
    const ULONGLONG asked = GetTickCount64();
    if (Report(brwdemo::AskForCrawlNow()) != 0) {
        return 1;
    }
    for (int at = 1; at < argc; at += 2) {
        int expected = 0;
        if (!ReadCount(argv[at + 1], &expected)) {
            return 2;
        }
        const ULONGLONG spent = GetTickCount64() - asked;
        const DWORD left = spent < limit ? static_cast<DWORD>(limit - spent) : 0;
        const brwdemo::SearchOutcome outcome = brwdemo::WaitForResultCount(argv[at], expected, left);
        std::printf("\"%s\": %d found %llu ms after the request\n", brw::WideToUtf8(argv[at]).c_str(), outcome.count,
                    GetTickCount64() - asked);
        if (!outcome.reached) {
            return 1;
        }
    }
    std::printf("all found as expected %llu ms after the request\n", GetTickCount64() - asked);
    return 0;
}

void PrintCounts(const char* heading, const brwdemo::CrawlCounts& counts)
{
    std::printf("%s%ld, waiting %ld\n", heading, counts.indexed, counts.waiting);
    std::fflush(stdout);
}

int WatchCrawl(const wchar_t* steady, const wchar_t* timeout)
{
    DWORD steadyMs = 0;
    DWORD limit = 0;
    if (!ReadTimeout(steady, &steadyMs) || !ReadTimeout(timeout, &limit)) {
        return 2;
    }
    constexpr ULONGLONG kShownEveryMs = 1000;
    ULONGLONG lastShown = 0;
    const ULONGLONG started = GetTickCount64();
    const brwdemo::FirstCrawlOutcome outcome =
        brwdemo::WatchFirstCrawl(steadyMs, limit, [&lastShown, started](const brwdemo::CrawlCounts& counts) {
            // Every change, timed, for the log.
            std::fprintf(stderr, "+%llu ms: indexed %ld, waiting %ld\n", GetTickCount64() - started, counts.indexed,
                         counts.waiting);
            if (GetTickCount64() - lastShown >= kShownEveryMs) {
                lastShown = GetTickCount64();
                PrintCounts("documents indexed ", counts);
            }
        });
    if (!outcome.finished) {
        PrintCounts("unfinished: indexed ", outcome.last);
        return 1;
    }
    // FILETIME counts 100 ns from 1601; Unix time starts 11644473600 s later.
    constexpr ULONGLONG kUnixEpoch = 116444736000000000ULL;
    constexpr ULONGLONG kTicksPerMs = 10000;
    std::printf("finished %llu %ld %llu\n", (outcome.finishedAt - kUnixEpoch) / kTicksPerMs, outcome.last.indexed,
                (outcome.firstAt - kUnixEpoch) / kTicksPerMs);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"logon" && argc == 3) {
        return Report(brwdemo::LogOn(argv[2], brwdemo::Remember::Yes, kStepTimeoutMs));
    }
    if (command == L"open" && argc == 4) {
        return OpenWatchingTheTrail(argv[2], argv[3]);
    }
    if (command == L"crawl-now" && argc >= 5) {
        return CrawlNowAndWait(argc - 2, argv + 2);
    }
    if (command == L"wait-found" && argc == 5) {
        return WaitFound(argv[2], argv[3], argv[4]);
    }
    if (command == L"watch-crawl" && argc == 4) {
        return WatchCrawl(argv[2], argv[3]);
    }
    DWORD limit = 0;
    if (command == L"connector-serves" && argc == 3 && ReadTimeout(argv[2], &limit)) {
        return Report(brwdemo::WaitForConnectorServing(limit));
    }
    std::fputs("usage: brw_demo_driver logon PASSWORD | open URL PASSWORD |"
               " crawl-now TIMEOUT_MS WORD COUNT [WORD COUNT]... | wait-found WORD COUNT TIMEOUT_MS |"
               " connector-serves TIMEOUT_MS | watch-crawl STEADY_MS TIMEOUT_MS\n",
               stderr);
    return 2;
}
