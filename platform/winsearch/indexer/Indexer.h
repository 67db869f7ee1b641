// The indexer host's coordinator: takes queued notifications (high priority
// first, then normal) and crawls the saved roots, hands every URL to the
// gathering pool, and writes what comes back into the catalogue.
#pragma once

#include "platform/winsearch/core/Catalogue.h"
#include "platform/winsearch/core/SharedState.h"
#include "platform/winsearch/indexer/Gatherer.h"

#include <cstdint>
#include <string>
#include <unordered_set>

namespace brw::winsearch {

struct IndexerCounts {
    unsigned long indexed = 0;
    unsigned long unchanged = 0;
    unsigned long failed = 0;
    unsigned long removed = 0;
};

struct IndexerOptions {
    DWORD itemTimeoutMs = 30000;
    // Items gathered at once: each waits on pipe exchanges most of its time.
    // On two cores, two left a third of the time idle, four a fifth, six a
    // seventh (measured with the crawl benchmark).
    unsigned workers = 6;
};

class Indexer {
public:
    Indexer(std::wstring folder, const IndexerOptions& options);

    // A crawl of every root that is not notification-only, then the
    // notifications, then return.
    HRESULT RunOnce();
    // Crawls, then processes notifications as they come, crawling again
    // (before the notifications waiting then) when the scope is saved or the
    // catalogue is reset, until stop is set.
    HRESULT RunLoop(HANDLE stop);

    const IndexerCounts& Counts() const noexcept { return counts_; }

private:
    HRESULT Refresh(bool* changed);
    HRESULT Pass(bool crawl);
    HRESULT ProcessNotifications();
    HRESULT CrawlRoots();
    void Crawl(const std::vector<std::wstring>& starts, bool removeUnvisited);
    void Submit(const std::wstring& url);
    bool Store(GatherOutcome& outcome, std::vector<ChildLink>* children, bool* keepBelow);
    bool IsCurrent(const std::wstring& url, std::uint64_t changedAt) const;
    void Log(const wchar_t* what, const std::wstring& url, HRESULT hr);
    void Snapshot();

    std::wstring folder_;
    Gatherer gatherer_;
    Catalogue catalogue_;
    CrawlScope scope_;
    GUID resetSignature_ = GUID_NULL;
    unsigned long scopeVersion_ = 0;
    bool opened_ = false;
    IndexerCounts counts_;
};

} // namespace brw::winsearch
