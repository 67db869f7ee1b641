// The indexer host's coordinator: takes queued notifications (high priority
// first, then normal) and crawls the saved roots, hands every URL to the
// filtering worker, and writes what comes back into the catalogue.
#pragma once

#include "platform/winsearch/core/Catalogue.h"
#include "platform/winsearch/core/SharedState.h"
#include "platform/winsearch/indexer/WorkerClient.h"

#include <string>
#include <unordered_set>

namespace brw::winsearch {

struct IndexerCounts {
    unsigned long indexed = 0;
    unsigned long unchanged = 0;
    unsigned long failed = 0;
    unsigned long removed = 0;
};

class Indexer {
public:
    Indexer(std::wstring folder, DWORD itemTimeoutMs);

    // Notifications, then a crawl of every root that is not
    // notification-only, then return.
    HRESULT RunOnce();
    // Crawls, then processes notifications as they come, crawling again
    // when the scope is saved or the catalogue is reset, until stop is set.
    HRESULT RunLoop(HANDLE stop);

    const IndexerCounts& Counts() const noexcept { return counts_; }

private:
    HRESULT Refresh(bool* changed);
    HRESULT ProcessNotifications();
    HRESULT CrawlRoots();
    void Crawl(const std::wstring& start, bool removeUnvisited);
    bool IndexUrl(const std::wstring& url, std::vector<ChildLink>* children, bool* keepBelow);
    void Log(const wchar_t* what, const std::wstring& url, HRESULT hr);
    void Snapshot();

    std::wstring folder_;
    WorkerClient worker_;
    Catalogue catalogue_;
    CrawlScope scope_;
    GUID resetSignature_ = GUID_NULL;
    unsigned long scopeVersion_ = 0;
    bool opened_ = false;
    IndexerCounts counts_;
};

} // namespace brw::winsearch
