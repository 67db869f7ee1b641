#include "notesdata/crawl/CrawlProgress.h"

#include <cwchar>

namespace brw {
namespace {

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

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
    const ExclusiveLock hold(lock_);
    wmemcpy(status_.database, name.data() + (name.size() - kept), kept);
    status_.database[kept] = L'\0';
    status_.documentsSent = 0;
    status_.state = BRWCrawlIndexing;
}

void CrawlProgress::DocumentSent() noexcept
{
    const ExclusiveLock hold(lock_);
    ++status_.documentsSent;
}

void CrawlProgress::PassFinished() noexcept
{
    const ExclusiveLock hold(lock_);
    status_.state = BRWCrawlUpToDate;
    status_.database[0] = L'\0';
    status_.documentsSent = 0;
    ++status_.passesFinished;
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
