#pragma once
// Text between the Notes character set (LMBCS) and UTF-16, through the API's
// own translation, in pieces that end on whole characters.
#include <windows.h>

#include <string>

namespace brw {

std::wstring LmbcsToWide(const char* text, size_t length);
inline std::wstring LmbcsToWide(const std::string& text)
{
    return LmbcsToWide(text.data(), text.size());
}

std::string WideToLmbcs(const wchar_t* text, size_t length);
inline std::string WideToLmbcs(const std::wstring& text)
{
    return WideToLmbcs(text.data(), text.size());
}

// How many of the next `remaining` bytes of text form a piece of at most
// `limit` bytes that ends on a character boundary (all of them when they
// fit). Never 0 while bytes remain, so a walk always moves on.
size_t LmbcsPieceLength(const char* text, size_t remaining, size_t limit);

// 0-15 for a hexadecimal digit of either case, -1 for anything else.
inline int HexDigitValue(wchar_t c)
{
    return (c >= L'0' && c <= L'9')   ? c - L'0'
           : (c >= L'A' && c <= L'F') ? c - L'A' + 10
           : (c >= L'a' && c <= L'f') ? c - L'a' + 10
                                      : -1;
}

// Lower case, as the reply's paths and names are written.
std::wstring ToLowerText(std::wstring text);

} // namespace brw
