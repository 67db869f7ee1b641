#include "common/TokenUser.h"

namespace brw {
namespace {

// A TOKEN_USER is the structure plus one SID of at most SECURITY_MAX_SID_SIZE
// bytes; a token that reports much more is not one we read.
constexpr DWORD kMaxTokenUserBytes = 1024;

} // namespace

HeapBlock<TOKEN_USER> ReadTokenUser(HANDLE token) noexcept
{
    DWORD size = 0;
    if (GetTokenInformation(token, TokenUser, nullptr, 0, &size)) {
        SetLastError(ERROR_INVALID_DATA); // a token user never fits in no bytes
        return {};
    }
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return {};
    }
    if (size < sizeof(TOKEN_USER) || size > kMaxTokenUserBytes) {
        SetLastError(ERROR_INVALID_DATA);
        return {};
    }
    HeapBlock<TOKEN_USER> user = AllocateHeapBlock<TOKEN_USER>(size);
    if (!user) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return {};
    }
    if (!GetTokenInformation(token, TokenUser, user.get(), size, &size)) {
        return {};
    }
    if (!IsValidSid(user.get()->User.Sid)) {
        SetLastError(ERROR_INVALID_SID);
        return {};
    }
    return user;
}

HeapBlock<TOKEN_USER> ReadProcessUser(HANDLE process) noexcept
{
    KernelHandle token;
    if (!OpenProcessToken(process, TOKEN_QUERY, token.put())) {
        return {};
    }
    return ReadTokenUser(token.get());
}

HeapBlock<TOKEN_USER> ReadProcessIdUser(DWORD processId) noexcept
{
    KernelHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, kNotInherited, processId));
    if (!process) {
        return {};
    }
    return ReadProcessUser(process.get());
}

const TOKEN_USER* OwnProcessUser() noexcept
{
    static const HeapBlock<TOKEN_USER> user = ReadProcessUser(GetCurrentProcess());
    return user.get();
}

bool IsSameUser(const TOKEN_USER* one, const TOKEN_USER* other) noexcept
{
    return one != nullptr && other != nullptr && EqualSid(one->User.Sid, other->User.Sid);
}

bool RunsAsOwnUser(DWORD processId) noexcept
{
    const HeapBlock<TOKEN_USER> theirs = ReadProcessIdUser(processId);
    return IsSameUser(theirs.get(), OwnProcessUser());
}

} // namespace brw
