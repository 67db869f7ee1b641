// The security of a pipe that must be reached by its owner only: a DACL
// with exactly two allow entries, the user this process runs as and SYSTEM.
// Without it the default DACL lets every local user open the pipe, and a
// client of another user could hold the only instance for as long as it
// liked.
#pragma once

#include "common/Handles.h"

#include <windows.h>

namespace brw {

class OwnerOnlySecurity {
public:
    // Check IsValid(): the process token or the well-known SYSTEM SID may be
    // unreadable, and then there is no descriptor to offer.
    OwnerOnlySecurity() noexcept;
    // The attributes point into this object, so it neither copies nor moves.
    OwnerOnlySecurity(const OwnerOnlySecurity&) = delete;
    OwnerOnlySecurity& operator=(const OwnerOnlySecurity&) = delete;

    bool IsValid() const noexcept { return valid_; }
    // For CreateNamedPipe; null when not valid.
    SECURITY_ATTRIBUTES* Attributes() noexcept { return valid_ ? &attributes_ : nullptr; }

    // What both entries grant.
    static constexpr DWORD kGrantedAccess = FILE_ALL_ACCESS;

private:
    bool Build() noexcept;

    HeapBlock<TOKEN_USER> user_;
    DWORD systemSid_[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
    HeapBlock<ACL> acl_;
    SECURITY_DESCRIPTOR descriptor_ = {};
    SECURITY_ATTRIBUTES attributes_ = {};
    bool valid_ = false;
};

} // namespace brw
