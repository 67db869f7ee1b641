#pragma once
// Text of a MIME part or an encoded word in the character set it names,
// turned to UTF-16 through the system's code pages.
#include <windows.h>

#include <string>
#include <string_view>

namespace brw::mime {

// The code page of a charset name (any case); 0 when it is unknown.
UINT CodePageOfCharset(std::string_view charset);

// Bytes in the named charset as UTF-16. An unknown or missing charset reads
// as UTF-8 when the bytes are valid UTF-8 and as Windows-1252 otherwise:
// mail that names no charset is mostly one of the two. Invalid sequences
// become replacement characters, never an error.
std::wstring DecodeCharset(std::string_view bytes, std::string_view charset);

} // namespace brw::mime
