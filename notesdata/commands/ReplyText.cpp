#include "notesdata/commands/ReplyText.h"

namespace brw {
namespace {

// What a character of database text is written as; null when it is
// written as it is.
const wchar_t* ReplacementFor(wchar_t c)
{
    switch (c) {
    case L'\0':
        return L"\r\n";
    case L'&':
        return L"&amp;";
    case L'<':
        return L"&lt;";
    case L'>':
        return L"&gt;";
    default:
        return nullptr;
    }
}

} // namespace

HRESULT AppendEscaped(ReplyWriter* writer, const wchar_t* text, size_t length)
{
    size_t runStart = 0;
    for (size_t i = 0; i < length; ++i) {
        const wchar_t* replacement = ReplacementFor(text[i]);
        if (replacement == nullptr) {
            continue;
        }
        if (i > runStart) {
            const HRESULT hr = writer->AppendText(text + runStart, static_cast<int>(i - runStart));
            if (FAILED(hr)) {
                return hr;
            }
        }
        const HRESULT hr = writer->AppendText(replacement, -1);
        if (FAILED(hr)) {
            return hr;
        }
        runStart = i + 1;
    }
    return length > runStart ? writer->AppendText(text + runStart, static_cast<int>(length - runStart)) : S_OK;
}

std::wstring EscapedText(const std::wstring& text)
{
    std::wstring escaped;
    escaped.reserve(text.size());
    for (wchar_t c : text) {
        const wchar_t* replacement = ReplacementFor(c);
        escaped += replacement != nullptr ? std::wstring(replacement) : std::wstring(1, c);
    }
    return escaped;
}

HRESULT WriteTextElement(ReplyWriter* writer, const wchar_t* name, const std::wstring& text)
{
    HRESULT hr = writer->OpenElement(name);
    if (SUCCEEDED(hr)) {
        hr = AppendEscaped(writer, text);
    }
    return SUCCEEDED(hr) ? writer->CloseElement(name) : hr;
}

} // namespace brw
