#include "notesdata/crawl/CrawlProgress.h"

#include "notesdata/crawl/ExclusiveLock.h"

#include <cwchar>

namespace brw {
namespace {

constexpr size_t kNameCapacity = ARRAYSIZE(BRWCrawlStatus{}.database) - 1;

} // namespace

CrawlProgress::CrawlProgress()
{
    status_.size = sizeof(status_);
    status_.state = BRWCrawlNotStarted;
}

void CrawlProgress::DatabaseStarted(const std::wstring& name) noexcept
{
    const size_t kept = name.size() < kNameCapacity ? name.size() : kNameCapacity;
    bool passBegins = false;
    {
        const ExclusiveLock hold(lock_);
        passBegins = status_.state != BRWCrawlIndexing;
        wmemcpy(status_.database, name.data() + (name.size() - kept), kept);
        status_.database[kept] = L'\0';
        status_.documentsSent = 0;
        status_.state = BRWCrawlIndexing;
    }
    // Told after the record changed, so that a window reading it on the
    // news finds the database already named.
    if (passBegins) {
        watch_.PassBegan();
    }
}

void CrawlProgress::DocumentSent() noexcept
{
    const ExclusiveLock hold(lock_);
    ++status_.documentsSent;
}

void CrawlProgress::PassFinished() noexcept
{
    {
        const ExclusiveLock hold(lock_);
        status_.state = BRWCrawlUpToDate;
        status_.database[0] = L'\0';
        status_.documentsSent = 0;
        ++status_.passesFinished;
    }
    watch_.PassEnded();
}

BRWCrawlStatus CrawlProgress::Snapshot() const noexcept
{
    const ExclusiveLock hold(lock_);
    return status_;
}

bool CrawlProgress::CopyTo(BRWCrawlStatus* status) const noexcept
{
    if (status == nullptr || status->size != sizeof(BRWCrawlStatus)) {
        return false;
    }
    *status = Snapshot();
    return true;
}

} // namespace brw
