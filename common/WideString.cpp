#include "common/WideString.h"

#include <objbase.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <cwchar>

namespace brw {

bool CopyBounded(wchar_t* buffer, int bufferLength, const wchar_t* source) noexcept
{
    if (!buffer || bufferLength <= 0) {
        return false;
    }
    const wchar_t* text = source ? source : L"";
    int copied = 0;
    while (copied < bufferLength - 1 && text[copied] != L'\0') {
        buffer[copied] = text[copied];
        ++copied;
    }
    buffer[copied] = L'\0';
    return text[copied] == L'\0';
}

bool StartsWithNoCase(const wchar_t* text, const wchar_t* prefix) noexcept
{
    if (!text || !prefix) {
        return false;
    }
    const size_t prefixLength = std::wcslen(prefix);
    // wcsnlen keeps a short text from being read past its end.
    if (prefixLength > INT_MAX || ::wcsnlen(text, prefixLength) < prefixLength) {
        return false;
    }
    const int length = static_cast<int>(prefixLength);
    return CompareStringOrdinal(text, length, prefix, length, TRUE) == CSTR_EQUAL;
}

std::wstring FormatTextV(const wchar_t* format, va_list args)
{
    if (!format) {
        return std::wstring();
    }
    // mingw's ISO vswprintf reads %s in a wide format as a narrow string;
    // the CRT's own functions keep the Windows meaning our formats rely on.
    va_list counting;
    va_copy(counting, args);
    const int length = ::_vscwprintf(format, counting);
    va_end(counting);
    if (length <= 0) {
        return std::wstring();
    }
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int written = ::_vsnwprintf(&text[0], text.size(), format, args);
    text.resize(written < 0 ? 0 : static_cast<size_t>(written));
    return text;
}

std::wstring FormatText(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    std::wstring text = FormatTextV(format, args);
    va_end(args);
    return text;
}

std::wstring Utf8ToWide(std::string_view text)
{
    if (text.empty() || text.size() > INT_MAX) {
        return std::wstring();
    }
    const int inLength = static_cast<int>(text.size());
    const int outLength = MultiByteToWideChar(CP_UTF8, 0, text.data(), inLength, nullptr, 0);
    if (outLength <= 0) {
        return std::wstring();
    }
    std::wstring wide(static_cast<size_t>(outLength), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), inLength, &wide[0], outLength);
    return wide;
}

std::string WideToUtf8(std::wstring_view text)
{
    if (text.empty() || text.size() > INT_MAX) {
        return std::string();
    }
    const int inLength = static_cast<int>(text.size());
    const int outLength = WideCharToMultiByte(CP_UTF8, 0, text.data(), inLength, nullptr, 0, nullptr, nullptr);
    if (outLength <= 0) {
        return std::string();
    }
    std::string narrow(static_cast<size_t>(outLength), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), inLength, &narrow[0], outLength, nullptr, nullptr);
    return narrow;
}

HRESULT DuplicateCoTaskMemString(const wchar_t* text, wchar_t** copy) noexcept
{
    if (!copy) {
        return E_POINTER;
    }
    *copy = nullptr;
    if (!text) {
        return E_INVALIDARG;
    }
    const size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    auto* block = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    if (!block) {
        return E_OUTOFMEMORY;
    }
    std::memcpy(block, text, bytes);
    *copy = block;
    return S_OK;
}

std::wstring GuidToString(const GUID& guid)
{
    wchar_t text[kGuidTextLength + 1];
    if (StringFromGUID2(guid, text, kGuidTextLength + 1) == 0) {
        return std::wstring();
    }
    return std::wstring(text, kGuidTextLength);
}

} // namespace brw
