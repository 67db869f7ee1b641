#include "common/PipeSecurity.h"

#include "common/TokenUser.h"

namespace brw {

OwnerOnlySecurity::OwnerOnlySecurity() noexcept
{
    valid_ = Build();
}

bool OwnerOnlySecurity::Build() noexcept
{
    user_ = ReadProcessUser(GetCurrentProcess());
    DWORD systemSize = sizeof(systemSid_);
    if (!user_ || !CreateWellKnownSid(WinLocalSystemSid, nullptr, systemSid_, &systemSize)) {
        return false;
    }
    PSID userSid = user_.get()->User.Sid;
    const DWORD aclBytes = sizeof(ACL) + 2 * (sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD)) + GetLengthSid(userSid) +
                           GetLengthSid(systemSid_);
    acl_ = AllocateHeapBlock<ACL>(aclBytes);
    if (!acl_ || !InitializeAcl(acl_.get(), aclBytes, ACL_REVISION) ||
        !AddAccessAllowedAce(acl_.get(), ACL_REVISION, kGrantedAccess, userSid) ||
        !AddAccessAllowedAce(acl_.get(), ACL_REVISION, kGrantedAccess, systemSid_)) {
        return false;
    }
    // Protected: nothing is inherited into the pipe's DACL from elsewhere.
    if (!InitializeSecurityDescriptor(&descriptor_, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor_, TRUE, acl_.get(), FALSE) ||
        !SetSecurityDescriptorControl(&descriptor_, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        return false;
    }
    attributes_.nLength = sizeof(attributes_);
    attributes_.lpSecurityDescriptor = &descriptor_;
    attributes_.bInheritHandle = FALSE;
    return true;
}

} // namespace brw
