// The demo's hands: the steps of a user's session that a shell script
// cannot take under Wine by itself. Prints what the user would have seen;
// exit code 0 when the step was done, 1 when not, 2 for a wrong command.
//
//   brw_demo_driver logon PASSWORD
//   brw_demo_driver open URL PASSWORD
//   brw_demo_driver crawl-now
//   brw_demo_driver relogon
//   brw_demo_driver wait-found WORD COUNT TIMEOUT_MS
#include "common/WideString.h"
#include "tests/demo/DemoSteps.h"
#include "tests/demo/SearchWait.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

// Long enough for a cold start of a program under Wine.
constexpr DWORD kStepTimeoutMs = 60000;

// Prints the milliseconds waited; exit code 0 when the count was reached.
int WaitFound(const wchar_t* word, const wchar_t* count, const wchar_t* timeout)
{
    const int expected = _wtoi(count);
    const long limit = _wtol(timeout);
    if (expected < 0 || limit <= 0) {
        return 2;
    }
    const brwdemo::SearchOutcome outcome = brwdemo::WaitForResultCount(word, expected, static_cast<DWORD>(limit));
    std::printf("%llu ms, %d found\n", outcome.waitedMs, outcome.count);
    return outcome.reached ? 0 : 1;
}

int Report(const brwdemo::StepResult& result)
{
    std::printf("%s\n", brw::WideToUtf8(result.seen).c_str());
    return result.done ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    if (command == L"logon" && argc == 3) {
        return Report(brwdemo::LogOn(argv[2], brwdemo::Remember::Yes, kStepTimeoutMs));
    }
    if (command == L"open" && argc == 4) {
        return Report(brwdemo::OpenAsExplorer(argv[2], argv[3], kStepTimeoutMs));
    }
    if (command == L"crawl-now" && argc == 2) {
        return Report(brwdemo::AskForCrawlNow());
    }
    if (command == L"wait-found" && argc == 5) {
        return WaitFound(argv[2], argv[3], argv[4]);
    }
    if (command == L"relogon" && argc == 2) {
        return Report(brwdemo::LogOffAndOn(kStepTimeoutMs));
    }
    std::fputs("usage: brw_demo_driver logon PASSWORD | open URL PASSWORD | crawl-now | relogon |"
               " wait-found WORD COUNT TIMEOUT_MS\n",
               stderr);
    return 2;
}
