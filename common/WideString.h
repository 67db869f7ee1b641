// UTF-16 string helpers shared by every deliverable.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>
#include <string_view>

namespace brw {

// Characters of a GUID in registry form, "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}".
constexpr int kGuidTextLength = 38;

// Copies source into a buffer of bufferLength characters: at most
// bufferLength - 1 characters and always a terminating NUL. A buffer of
// length 0 or less, or a null buffer, is left untouched. A null source counts
// as empty. Returns true when the whole source fitted.
bool CopyBounded(wchar_t* buffer, int bufferLength, const wchar_t* source) noexcept;

// True when text begins with prefix, compared ordinally without case (the
// comparison file systems and URL schemes use, independent of the locale).
// Null text or prefix never matches.
bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix) noexcept;

// printf-style formatting with the Windows CRT's meaning of the conversions,
// the one all our format texts are written for: in a wide format %s is a
// wide string and %S a narrow one (%ls and %hs mean the same everywhere).
// An invalid format gives an empty string; only std::bad_alloc is thrown.
std::wstring FormatText(const wchar_t* format, ...);
std::wstring FormatTextV(const wchar_t* format, va_list args);

// Ill-formed input is not rejected: each bad sequence becomes U+FFFD, so
// text from outside still arrives readable. Input longer than an int can
// count gives an empty string.
std::wstring Utf8ToWide(std::string_view text);
std::string WideToUtf8(std::wstring_view text);

// Copies text into CoTaskMemAlloc memory for a COM out-parameter, whose
// receiver frees it with CoTaskMemFree. *copy is set to null on failure.
// E_POINTER for a null copy, E_INVALIDARG for a null text, E_OUTOFMEMORY.
HRESULT DuplicateCoTaskMemString(const wchar_t* text, wchar_t** copy) noexcept;

// Registry form with braces and upper-case digits, kGuidTextLength characters.
std::wstring GuidToString(const GUID& guid);

} // namespace brw
