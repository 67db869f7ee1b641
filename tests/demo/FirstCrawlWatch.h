#pragma once
// Watches the first crawl fill the catalogue, as the demo shows it: the
// count of indexed items and of waiting notifications whenever they change,
// until nothing waits and the count has stood still for a while.
#include <windows.h>

#include <functional>
#include <string>

namespace brwdemo {

struct CrawlCounts {
    long indexed = -1; // -1: not readable
    long waiting = -1;
};

struct FirstCrawlOutcome {
    bool finished = false;
    CrawlCounts last;
    // When the first item and the final count were first seen, as FILETIME
    // counts (UTC).
    ULONGLONG firstAt = 0;
    ULONGLONG finishedAt = 0;
};

// Asks the catalogue four times a second through one catalogue manager (so
// each count reads only what was added since the last); calls shown with
// the counts when they change. Finished once nothing waits and the indexed
// count has not moved for steadyMs; gives up after timeoutMs.
FirstCrawlOutcome WatchFirstCrawl(DWORD steadyMs, DWORD timeoutMs,
                                  const std::function<void(const CrawlCounts&)>& shown);

} // namespace brwdemo
