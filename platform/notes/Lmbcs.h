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

// Length of the longest prefix of text that ends on a character boundary and
// is at most limit bytes long.
size_t WholeCharactersLength(std::string_view text, size_t limit) noexcept;

// Copies the whole characters of text that fit into out with a NUL after
// them; returns the bytes copied. outSize must be at least 1.
size_t CopyWholeCharacters(std::string_view text, char* out, size_t outSize) noexcept;

// Start of the last character that begins before position within [start, ...).
size_t PreviousBoundary(const BYTE* start, size_t position) noexcept;

} // namespace lmbcs
