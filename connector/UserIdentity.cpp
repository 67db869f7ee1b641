#include "connector/UserIdentity.h"

#include "common/Handles.h"

#include <sddl.h>

namespace brw {
namespace {

// A TOKEN_USER is the structure plus one SID of at most SECURITY_MAX_SID_SIZE
// bytes; anything much larger is not a token user we can trust.
constexpr DWORD kMaxTokenUserBytes = 1024;

// ConvertSidToStringSidW hands out LocalAlloc memory.
struct LocalStringTraits {
    using pointer = wchar_t*;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer p) noexcept { return p != nullptr; }
    static void Close(pointer p) noexcept { ::LocalFree(p); }
};
using LocalString = UniqueResource<LocalStringTraits>;

int LastErrorCode() noexcept
{
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? static_cast<int>(error) : ERROR_INVALID_FUNCTION;
}

// The token user of this process, in a block of the size the token reports.
int ReadTokenUser(HeapBlock<TOKEN_USER>& user) noexcept
{
    KernelHandle token;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        return LastErrorCode();
    }
    DWORD size = 0;
    if (::GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size)) {
        return ERROR_INVALID_DATA;  // a token user never fits in no bytes
    }
    if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return LastErrorCode();
    }
    if (size < sizeof(TOKEN_USER) || size > kMaxTokenUserBytes) {
        return ERROR_INVALID_DATA;
    }
    HeapBlock<TOKEN_USER> block = AllocateHeapBlock<TOKEN_USER>(size);
    if (!block) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    DWORD read = 0;
    if (!::GetTokenInformation(token.get(), TokenUser, block.get(), size, &read)) {
        return LastErrorCode();
    }
    if (!::IsValidSid(block.get()->User.Sid)) {
        return ERROR_INVALID_SID;
    }
    user = std::move(block);
    return ERROR_SUCCESS;
}

}  // namespace

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
    HeapBlock<TOKEN_USER> user;
    const int status = ReadTokenUser(user);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    LocalString sid;
    if (!::ConvertSidToStringSidW(user.get()->User.Sid, sid.put())) {
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

}  // namespace brw
