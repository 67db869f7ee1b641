#include "notesdata/ReplyText.h"

namespace brw {
namespace {

const wchar_t* EntityFor(wchar_t c)
{
    switch (c) {
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

}  // namespace

HRESULT AppendEscaped(ReplyWriter* writer, const wchar_t* text, size_t length)
{
    size_t runStart = 0;
    for (size_t i = 0; i < length; ++i) {
        const wchar_t* entity = EntityFor(text[i]);
        if (entity == nullptr) {
            continue;
        }
        if (i > runStart) {
            const HRESULT hr = writer->AppendText(text + runStart, static_cast<int>(i - runStart));
            if (FAILED(hr)) {
                return hr;
            }
        }
        const HRESULT hr = writer->AppendText(entity, -1);
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
        const wchar_t* entity = EntityFor(c);
        escaped += entity != nullptr ? std::wstring(entity) : std::wstring(1, c);
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

}  // namespace brw
