// LMBCS, the Notes character set, to and from UTF-16. Notes strings use the
// code page 850 group without its group byte; what that group cannot hold
// goes into the Unicode group 0x14 (one big-endian UTF-16 unit per character).
#pragma once
#include <windows.h>
#include <string>
#include <string_view>

namespace lmbcs {

// Length in bytes of the character that starts at text[0] (1 to 3, never more
// than left). A truncated character counts as the bytes that remain.
size_t CharLength(const BYTE* text, size_t left) noexcept;

std::wstring ToWide(std::string_view text);
std::string FromWide(std::wstring_view text);

// Start of the last character that begins before position within [start, ...).
size_t PreviousBoundary(const BYTE* start, size_t position) noexcept;

} // namespace lmbcs
