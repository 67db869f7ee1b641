#include "tests/demo/SearchWait.h"

#include "common/Handles.h"
#include "tests/demo/IndexChanges.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <cstdlib>

namespace brwdemo {
namespace {

constexpr DWORD kQueryLimitMs = 30000;
constexpr char kCountField[] = "{\"count\":";

int QueryCount(const std::wstring& word)
{
    brwtest::ProcessSpec query;
    query.commandLine =
        brwtest::Quoted(brwtest::BinaryIn64BitTree(L"platform\\winsearch\\BRWSearchQuery.exe")) + L" --json " + word;
    brwtest::RunningProcess process(query);
    const brwtest::ProcessResult result = process.Wait(kQueryLimitMs);
    return result.exitCode == 0 ? ResultCountOf(result.output) : -1;
}

} // namespace

int ResultCountOf(const std::string& json)
{
    const size_t at = json.find(kCountField);
    if (at == std::string::npos) {
        return -1;
    }
    char* end = nullptr;
    const long count = std::strtol(json.c_str() + at + sizeof(kCountField) - 1, &end, 10);
    return end != nullptr && *end == ',' && count >= 0 ? static_cast<int>(count) : -1;
}

SearchOutcome WaitForResultCount(const std::wstring& word, int expected, DWORD timeoutMs)
{
    const ULONGLONG started = GetTickCount64();
    // Watched before the first query, so a change in between still wakes it.
    const ChangeNotification changes = WatchIndexChanges();
    SearchOutcome outcome;
    for (;;) {
        outcome.count = QueryCount(word);
        outcome.waitedMs = GetTickCount64() - started;
        if (outcome.count == expected) {
            outcome.reached = true;
            return outcome;
        }
        if (!changes || outcome.waitedMs >= timeoutMs) {
            return outcome;
        }
        if (WaitForSingleObject(changes.get(), static_cast<DWORD>(timeoutMs - outcome.waitedMs)) != WAIT_OBJECT_0 ||
            !FindNextChangeNotification(changes.get())) {
            outcome.count = QueryCount(word);
            outcome.reached = outcome.count == expected;
            outcome.waitedMs = GetTickCount64() - started;
            return outcome;
        }
    }
}

} // namespace brwdemo
