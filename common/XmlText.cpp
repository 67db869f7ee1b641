#include "common/XmlText.h"

namespace brw {
namespace {

// What a character is written as; null when it is written as it is.
const wchar_t* ReplacementFor(wchar_t c) noexcept
{
    switch (c) {
    case L'&':
        return L"&amp;";
    case L'<':
        return L"&lt;";
    case L'>':
        return L"&gt;";
    case L'"':
        return L"&quot;";
    case L'\'':
        return L"&apos;";
    case L'\t':
        return L"&#9;";
    case L'\n':
        return L"&#10;";
    case L'\r':
        return L"&#13;";
    default:
        return nullptr;
    }
}

} // namespace

std::wstring XmlAttributeText(std::wstring_view text)
{
    std::wstring out;
    out.reserve(text.size());
    for (const wchar_t c : text) {
        const wchar_t* replacement = ReplacementFor(c);
        if (replacement != nullptr) {
            out += replacement;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace brw
