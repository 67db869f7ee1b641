#include "tests/demo/FirstCrawlWatch.h"

#include "common/ComApartment.h"
#include "common/SearchCatalogue.h"

namespace brwdemo {
namespace {

constexpr DWORD kPollMs = 250;

long ItemCount(ISearchCatalogManager* catalogue)
{
    LONG items = 0;
    return SUCCEEDED(catalogue->NumberOfItems(&items)) ? items : -1;
}

long WaitingCount(ISearchCatalogManager* catalogue)
{
    LONG incremental = 0;
    LONG notifications = 0;
    LONG high = 0;
    return SUCCEEDED(catalogue->NumberOfItemsToIndex(&incremental, &notifications, &high)) ? notifications + high : -1;
}

ULONGLONG Now()
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool Same(const CrawlCounts& one, const CrawlCounts& other)
{
    return one.indexed == other.indexed && one.waiting == other.waiting;
}

// The items are counted at every poll (each count reads only what was
// added); the waiting notifications, a read of the whole queue, once a
// second and whenever the count has stood still long enough to be the end.
void Watch(ISearchCatalogManager* catalogue, DWORD steadyMs, DWORD timeoutMs,
           const std::function<void(const CrawlCounts&)>& shown, FirstCrawlOutcome* outcome)
{
    constexpr ULONGLONG kWaitingEveryMs = 1000;
    const ULONGLONG started = GetTickCount64();
    ULONGLONG changedAt = started;
    ULONGLONG waitingReadAt = 0;
    for (;;) {
        CrawlCounts now = outcome->last;
        now.indexed = ItemCount(catalogue);
        const ULONGLONG at = GetTickCount64();
        const bool moved = now.indexed != outcome->last.indexed;
        if (moved) {
            outcome->finishedAt = Now();
            changedAt = at;
            if (outcome->firstAt == 0 && now.indexed > 0) {
                outcome->firstAt = outcome->finishedAt;
            }
        }
        const bool steady = now.indexed > 0 && at - changedAt >= steadyMs;
        if (steady || at - waitingReadAt >= kWaitingEveryMs) {
            now.waiting = WaitingCount(catalogue);
            waitingReadAt = at;
        }
        if (!Same(now, outcome->last)) {
            outcome->last = now;
            shown(now);
        }
        if (steady && now.waiting == 0) {
            outcome->finished = true;
            return;
        }
        if (at - started >= timeoutMs) {
            return;
        }
        Sleep(kPollMs);
    }
}

} // namespace

FirstCrawlOutcome WatchFirstCrawl(DWORD steadyMs, DWORD timeoutMs, const std::function<void(const CrawlCounts&)>& shown)
{
    FirstCrawlOutcome outcome;
    const brw::ComApartment com(COINIT_MULTITHREADED);
    brw::ComPtr<ISearchCatalogManager> catalogue;
    if (SUCCEEDED(brw::OpenSystemCatalogue(catalogue))) {
        Watch(catalogue.get(), steadyMs, timeoutMs, shown, &outcome);
    }
    return outcome;
}

} // namespace brwdemo
