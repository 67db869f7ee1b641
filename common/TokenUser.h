// Who a process runs as: the user SID of its token. The pipe's two ends use
// it to make sure they talk to a process of their own user only.
#pragma once

#include "common/Handles.h"

#include <windows.h>

namespace brw {

// For OpenThreadToken: the access check is made as the process, since the
// identity a thread impersonates need not be allowed to read its own token.
inline constexpr BOOL kCheckAccessAsProcess = TRUE;
// For OpenProcess and CreateProcess: no child inherits the handle.
inline constexpr BOOL kNotInherited = FALSE;

// The user of a token opened for TOKEN_QUERY, in a block of the size the
// token reports. Empty on failure, with the reason in the last error.
HeapBlock<TOKEN_USER> ReadTokenUser(HANDLE token) noexcept;

// The user of a process handle opened with at least
// PROCESS_QUERY_LIMITED_INFORMATION; empty on failure (last error says why).
HeapBlock<TOKEN_USER> ReadProcessUser(HANDLE process) noexcept;

// The user of the process with this id; empty on failure.
HeapBlock<TOKEN_USER> ReadProcessIdUser(DWORD processId) noexcept;

// The user this process runs as, read once for the life of the process;
// null when its token cannot be read.
const TOKEN_USER* OwnProcessUser() noexcept;

// True when both are read and name the same SID.
bool IsSameUser(const TOKEN_USER* one, const TOKEN_USER* other) noexcept;

// True when the process with this id runs as the user this process runs as.
bool RunsAsOwnUser(DWORD processId) noexcept;

} // namespace brw
