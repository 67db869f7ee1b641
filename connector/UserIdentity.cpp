#include "connector/UserIdentity.h"

#include "common/Handles.h"
#include "common/TokenUser.h"

#include <sddl.h>

namespace brw {
namespace {

int LastErrorCode() noexcept
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? static_cast<int>(error) : ERROR_INVALID_FUNCTION;
}

} // namespace

void FormatUserIdentity(const wchar_t* sid, wchar_t (&buffer)[kUserIdentityCapacity]) noexcept
{
    constexpr std::size_t kLastText = kUserIdentityCapacity - 1;
    std::size_t at = 0;
    buffer[at++] = L'{';
    for (const wchar_t* p = sid; p && *p != L'\0' && at < kLastText; ++p) {
        buffer[at++] = *p;
    }
    if (at < kLastText) {
        buffer[at++] = L'}';
    }
    buffer[at] = L'\0';
}

int UserIdentityText(wchar_t (&buffer)[kUserIdentityCapacity]) noexcept
{
    const HeapBlock<TOKEN_USER> user = ReadProcessUser(GetCurrentProcess());
    if (!user) {
        return LastErrorCode();
    }
    LocalBlock<wchar_t> sid;
    if (!ConvertSidToStringSidW(user.get()->User.Sid, sid.put())) {
        return LastErrorCode();
    }
    FormatUserIdentity(sid.get(), buffer);
    return ERROR_SUCCESS;
}

std::wstring UserIdentity()
{
    wchar_t buffer[kUserIdentityCapacity];
    return UserIdentityText(buffer) == ERROR_SUCCESS ? std::wstring(buffer) : std::wstring();
}

} // namespace brw
