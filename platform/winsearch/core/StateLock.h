// Holds the state folder's named mutex for one read-modify-write of its files.
#pragma once

#include "common/Handles.h"

#include <string>

namespace brw::winsearch {

class StateLock {
public:
    explicit StateLock(const std::wstring& folder);
    ~StateLock();
    StateLock(const StateLock&) = delete;
    StateLock& operator=(const StateLock&) = delete;

    // S_OK when held; the failure otherwise (the files must not be touched).
    HRESULT Status() const noexcept { return status_; }

private:
    KernelHandle mutex_;
    HRESULT status_ = E_FAIL;
};

} // namespace brw::winsearch
