// The crawl's benchmark (64-bit; needs both trees built):
//   crawl_bench [documents [unchanged [passes]]]     defaults 10000 100000 20
// 1. End to end: a generated mail file of `documents` memos (attachments
//    included) crawled from an empty catalogue, pushed, pulled through the
//    protocol handler and the connector's pipe, filtered and stored by the
//    indexer host; the time from the crawl's start until the catalogue holds
//    everything and nothing is queued. Twice: as at the connector's first
//    start, when the indexer also crawls the newly added root, and with the
//    root already there for notifications only, as at every later start.
// 2. Incremental passes: a mail file of `unchanged` memos crawled once, then
//    `passes` more passes that find nothing changed, with the crawl host's
//    private bytes and handle count after each.
// Figures go to standard output. A benchmark, not a test: the completion of
// part 1 is read from the catalogue's queue and the indexer host's pass lines,
// looked at every quarter second (the catalogue's item count is read once at
// the end: reading it takes a whole read of the catalogue).
#include "common/SearchCatalogue.h"
#include "common/WideString.h"
#include "connector/CrawlRoot.h"
#include "connector/UserIdentity.h"
#include "tests/endtoend/CrawlStage.h"
#include "tests/support/BuildTrees.h"

#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr DWORD kCountIntervalMs = 250;
constexpr DWORD kPassLimitMs = 30 * 60 * 1000;
constexpr DWORD kIncrementalPeriodSeconds = 1;
constexpr unsigned long long kMsPerSecond = 1000;

struct CatalogueCounts {
    long items = -1;
    long queued = -1;
    long high = -1;
};

// A count that cannot be read stays -1, which never looks finished.
CatalogueCounts Counts(bool withItems)
{
    CatalogueCounts counts;
    brw::ComPtr<ISearchCatalogManager> catalogue;
    if (FAILED(brw::OpenSystemCatalogue(catalogue))) {
        return counts;
    }
    LONG incremental = 0;
    LONG queued = 0;
    LONG high = 0;
    if (SUCCEEDED(catalogue->NumberOfItemsToIndex(&incremental, &queued, &high))) {
        counts.queued = queued;
        counts.high = high;
    }
    LONG items = 0;
    if (withItems && SUCCEEDED(catalogue->NumberOfItems(&items))) {
        counts.items = items;
    }
    return counts;
}

bool QueueIsEmpty()
{
    const CatalogueCounts counts = Counts(false);
    return counts.queued == 0 && counts.high == 0;
}

// The host's last pass line when it is "idle N"; empty while a pass runs.
// The host prints "indexing N" before a pass takes anything and "idle N"
// after it has stored what it took.
std::string IdleLine(const std::string& output)
{
    const std::string lines = "\n" + output;
    const size_t idle = lines.rfind("\nidle ");
    const size_t indexing = lines.rfind("\nindexing ");
    if (idle == std::string::npos || (indexing != std::string::npos && indexing > idle)) {
        return {};
    }
    return lines.substr(idle + 1, lines.find('\n', idle + 1) - idle - 1);
}

// The machine's processor time, all processes on all processors, busy and
// in all, so a figure comes with the load it was measured under.
struct MachineTimes {
    unsigned long long busy = 0;
    unsigned long long all = 0;
};

unsigned long long Count(const FILETIME& time)
{
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

MachineTimes ReadMachineTimes()
{
    FILETIME idle{};
    FILETIME kernel{}; // includes the idle time
    FILETIME user{};
    MachineTimes times;
    if (GetSystemTimes(&idle, &kernel, &user)) {
        times.all = Count(kernel) + Count(user);
        times.busy = times.all - Count(idle);
    }
    return times;
}

void PrintMachineLoad(const MachineTimes& from, const MachineTimes& to, unsigned long documents)
{
    constexpr double kTicksPerMs = 10000.0;
    const double busyMs = static_cast<double>(to.busy - from.busy) / kTicksPerMs;
    const double allMs = static_cast<double>(to.all - from.all) / kTicksPerMs;
    if (allMs <= 0) {
        return;
    }
    std::printf("processors busy %.0f%% of the time (all processes, %lu processors); %.2f ms of processor time a "
                "document\n",
                100.0 * busyMs / allMs, GetActiveProcessorCount(ALL_PROCESSOR_GROUPS), busyMs / documents);
}

bool Generate(const brwtest::CrawlStage& stage, const std::wstring& database, unsigned long count)
{
    const brwtest::ProcessResult result = stage.Notesdb(L"generate mail " + stage.Database(database) + L" --count " +
                                                        std::to_wstring(count) + L" --seed 17");
    if (result.exitCode != 0) {
        std::printf("generating failed: %s\n", result.output.c_str());
    }
    return result.exitCode == 0;
}

bool Prepare(brwtest::CrawlStage& stage, const std::wstring& database, unsigned long count)
{
    if (!stage.Registered() || !stage.MakeDataDirectory()) {
        std::printf("the stage could not be set up\n");
        return false;
    }
    std::printf("generating %lu documents...\n", count);
    std::fflush(stdout);
    return Generate(stage, database, count);
}

// Everything is stored once nothing is queued and the host is idle in the
// same pass before and after the queue was read: a pass that took anything
// would have announced itself. (The host is looked at first because reading
// the queue's count reads the whole queue.) The time is that of the poll.
bool WaitUntilStored(brwtest::CrawlStage& stage, ULONGLONG* doneAt, CatalogueCounts* last)
{
    for (;;) {
        const std::string before = IdleLine(stage.IndexerOutput());
        if (!before.empty() && QueueIsEmpty() && IdleLine(stage.IndexerOutput()) == before) {
            *doneAt = GetTickCount64();
            *last = Counts(true);
            return last->items > 0;
        }
        if (WaitForSingleObject(stage.IndexerProcess(), kCountIntervalMs) != WAIT_TIMEOUT) {
            std::printf("the indexer host ended early\n");
            return false;
        }
    }
}

enum class RootState { AddedByTheCrawl, AlreadyThere };

// The root as an earlier start of the connector left it: in the scope, and
// not crawled again, so only what the crawl pushes is gathered.
bool AddNotificationRoot(const brwtest::CrawlStage& stage)
{
    const std::wstring url = brw::CrawlRootUrl(brw::UserIdentity());
    return stage.Admin(L"addroot " + brwtest::Quoted(url) + L" --notifications-only").exitCode == 0;
}

int EndToEnd(unsigned long documents, RootState root)
{
    std::printf("== end to end: %lu generated documents from an empty catalogue, %s\n", documents,
                root == RootState::AddedByTheCrawl ? "the root added by the crawl host (and crawled)"
                                                   : "the root there for notifications only");
    brwtest::CrawlStage stage(L"brwcrawlbench");
    if (!Prepare(stage, L"mail\\bench.nsf", documents) || !stage.StartConnector() || !stage.StartIndexer() ||
        (root == RootState::AlreadyThere && !AddNotificationRoot(stage))) {
        return 1;
    }
    const ULONGLONG start = GetTickCount64();
    const MachineTimes startTimes = ReadMachineTimes();
    // One pass: the period is longer than the run.
    brwtest::PassReport pushed;
    if (!stage.StartCrawl(86400) || !stage.WaitForPass(1, kPassLimitMs, &pushed)) {
        std::printf("the crawl did not finish its pass\n");
        return 1;
    }
    std::printf("crawl pass (all pushed): %.2f s\n", static_cast<double>(pushed.atMs) / kMsPerSecond);
    ULONGLONG doneAt = 0;
    CatalogueCounts counts;
    if (!WaitUntilStored(stage, &doneAt, &counts)) {
        return 1;
    }
    PrintMachineLoad(startTimes, ReadMachineTimes(), documents);
    const double seconds = static_cast<double>(doneAt - start) / kMsPerSecond;
    std::printf("stored: %ld items (documents, attachments, folders) in %.2f s\n", counts.items, seconds);
    std::printf("end to end: %.0f documents/s, %.0f items/s\n", documents / seconds, counts.items / seconds);
    const brwtest::ProcessResult indexer = stage.StopAll();
    const size_t line = indexer.output.rfind("indexed ");
    std::printf("indexer host: %s", line == std::string::npos ? "(no counts)\n" : indexer.output.c_str() + line);
    return 0;
}

int Incremental(unsigned long documents, unsigned long passes)
{
    std::printf("== incremental: %lu unchanged documents, %lu passes after the first\n", documents, passes);
    brwtest::CrawlStage stage(L"brwcrawlbench");
    if (!Prepare(stage, L"mail\\unchanged.nsf", documents) || !stage.StartCrawl(kIncrementalPeriodSeconds)) {
        return 1;
    }
    std::vector<brwtest::PassReport> reports(passes + 1);
    for (unsigned long pass = 1; pass <= passes + 1; ++pass) {
        if (!stage.WaitForPass(pass, kPassLimitMs, &reports[pass - 1])) {
            std::printf("pass %lu did not end\n", pass);
            return 1;
        }
    }
    std::printf("first pass (every document pushed): %.2f s, private %lu KB, handles %lu\n",
                static_cast<double>(reports[0].atMs) / kMsPerSecond, reports[0].privateKb, reports[0].handles);
    unsigned long long longest = 0;
    for (unsigned long pass = 1; pass <= passes; ++pass) {
        // A pass starts a period after the one before it ended.
        const unsigned long long spent =
            reports[pass].atMs - reports[pass - 1].atMs - kIncrementalPeriodSeconds * kMsPerSecond;
        longest = std::max(longest, spent);
        std::printf("pass %lu: %llu ms, private %lu KB, handles %lu\n", pass + 1, spent, reports[pass].privateKb,
                    reports[pass].handles);
    }
    std::printf("longest incremental pass: %llu ms (timer granularity about 16 ms)\n", longest);
    return 0;
}

unsigned long Argument(int argc, wchar_t** argv, int index, unsigned long fallback)
{
    return argc > index ? std::wcstoul(argv[index], nullptr, 10) : fallback;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const unsigned long documents = Argument(argc, argv, 1, 10000);
    const unsigned long unchanged = Argument(argc, argv, 2, 100000);
    const unsigned long passes = Argument(argc, argv, 3, 20);
    if (documents == 0 || unchanged == 0 || passes == 0) {
        std::printf("usage: crawl_bench [documents [unchanged [passes]]]\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        return 2;
    }
    const int result = EndToEnd(documents, RootState::AlreadyThere) | EndToEnd(documents, RootState::AddedByTheCrawl) |
                       Incremental(unchanged, passes);
    CoUninitialize();
    return result;
}
