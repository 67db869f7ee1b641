#pragma once
// Holds a slim reader/writer lock exclusively for a scope: the crawl's
// records are written by the crawl thread and read by the connector's.
#include <windows.h>

namespace brw {

class ExclusiveLock {
public:
    explicit ExclusiveLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
    ~ExclusiveLock() { ReleaseSRWLockExclusive(&lock_); }
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

private:
    SRWLOCK& lock_;
};

} // namespace brw
