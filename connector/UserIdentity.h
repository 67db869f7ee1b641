#pragma once
// The user identity text: "{" + the SID of the user this process runs as +
// "}". It names the user in every brw URL and in the crawl command, so it is
// read from the process's own token, never from anything a caller supplies.
#include <windows.h>

#include <cstddef>
#include <string>

namespace brw {

// Characters of an identity buffer, the terminating NUL included; the text
// itself is at most 255 characters.
inline constexpr std::size_t kUserIdentityCapacity = 256;

// Fills buffer with the identity text of the process token's user. Returns
// 0 on success; on any failure a non-zero Win32 error code, and the buffer
// is left exactly as it was.
int UserIdentityText(wchar_t (&buffer)[kUserIdentityCapacity]) noexcept;

// "{" + sid + "}" into buffer, cut at 255 characters so that the text is
// always terminated inside the buffer. A null sid counts as empty.
void FormatUserIdentity(const wchar_t* sid, wchar_t (&buffer)[kUserIdentityCapacity]) noexcept;

// The identity text as a string; empty when it cannot be obtained.
std::wstring UserIdentity();

} // namespace brw
