#include "platform/winsearch/core/StateLock.h"

#include "platform/winsearch/core/StateFolder.h"

namespace brw::winsearch {

namespace {
// Nobody holds the lock for more than one file rewrite; a wait this long
// means a stuck process, and failing beats hanging the caller for ever.
constexpr DWORD kLockTimeoutMs = 30000;
} // namespace

StateLock::StateLock(const std::wstring& folder)
{
    mutex_.reset(CreateMutexW(nullptr, FALSE, StateObjectName(folder, L"Lock").c_str()));
    if (!mutex_) {
        status_ = HRESULT_FROM_WIN32(GetLastError());
        return;
    }
    const DWORD wait = WaitForSingleObject(mutex_.get(), kLockTimeoutMs);
    // An abandoned mutex is ours: every file is replaced whole, so a holder
    // that died mid-way left the old or the new file, never half of one.
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) {
        status_ = S_OK;
    } else {
        status_ = HRESULT_FROM_WIN32(wait == WAIT_TIMEOUT ? ERROR_TIMEOUT : GetLastError());
    }
}

StateLock::~StateLock()
{
    if (status_ == S_OK) {
        ReleaseMutex(mutex_.get());
    }
}

} // namespace brw::winsearch
