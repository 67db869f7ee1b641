#include "notesdata/mime/HtmlText.h"

#include <cwctype>
#include <iterator>

namespace brw::mime {
namespace {

// Elements whose content is never shown.
constexpr const wchar_t* kHiddenElements[] = {L"script", L"style", L"head", L"title"};
// Elements that start a new line or cell: a blank keeps their words apart.
constexpr const wchar_t* kBlockElements[] = {L"p",  L"br", L"div", L"tr",         L"td",  L"th",  L"li",
                                             L"h1", L"h2", L"h3",  L"h4",         L"h5",  L"h6",  L"table",
                                             L"ul", L"ol", L"hr",  L"blockquote", L"pre", L"body"};

struct NamedReference {
    const wchar_t* name;
    wchar_t character;
};
constexpr NamedReference kReferences[] = {
    {L"amp", L'&'},     {L"lt", L'<'},       {L"gt", L'>'},       {L"quot", L'"'},    {L"apos", L'\''},
    {L"nbsp", L' '},    {L"copy", 0x00A9},   {L"reg", 0x00AE},    {L"euro", 0x20AC},  {L"auml", 0x00E4},
    {L"ouml", 0x00F6},  {L"uuml", 0x00FC},   {L"Auml", 0x00C4},   {L"Ouml", 0x00D6},  {L"Uuml", 0x00DC},
    {L"szlig", 0x00DF}, {L"eacute", 0x00E9}, {L"egrave", 0x00E8}, {L"ndash", 0x2013}, {L"mdash", 0x2014},
};

std::wstring LowerName(const std::wstring& text, size_t at)
{
    std::wstring name;
    while (at < text.size() && (std::iswalnum(text[at]) != 0)) {
        name += static_cast<wchar_t>(std::towlower(text[at++]));
    }
    return name;
}

template <size_t N>
bool IsOneOf(const std::wstring& name, const wchar_t* const (&names)[N])
{
    for (const wchar_t* candidate : names) {
        if (name == candidate) {
            return true;
        }
    }
    return false;
}

// The character a reference at text[at] ('&') stands for and its length;
// length 0 when it is none.
wchar_t Reference(const std::wstring& text, size_t at, size_t* length)
{
    *length = 0;
    const size_t end = text.find(L';', at);
    if (end == std::wstring::npos || end - at > 10) {
        return 0;
    }
    const std::wstring body = text.substr(at + 1, end - at - 1);
    unsigned long code = 0;
    if (body.size() > 1 && body[0] == L'#') {
        const bool hex = body[1] == L'x' || body[1] == L'X';
        wchar_t* stop = nullptr;
        code = std::wcstoul(body.c_str() + (hex ? 2 : 1), &stop, hex ? 16 : 10);
        if (stop == nullptr || *stop != L'\0' || code == 0 || code > 0xFFFF) {
            return 0;
        }
    } else {
        for (const NamedReference& reference : kReferences) {
            if (body == reference.name) {
                code = reference.character;
            }
        }
    }
    *length = code != 0 ? end - at + 1 : 0;
    return static_cast<wchar_t>(code);
}

} // namespace

std::wstring VisibleTextOfHtml(const std::wstring& html)
{
    std::wstring text;
    text.reserve(html.size());
    for (size_t at = 0; at < html.size();) {
        const wchar_t c = html[at];
        if (c == L'&') {
            size_t length = 0;
            const wchar_t character = Reference(html, at, &length);
            text += length > 0 ? character : c;
            at += length > 0 ? length : 1;
            continue;
        }
        if (c != L'<') {
            text += c;
            ++at;
            continue;
        }
        if (html.compare(at, 4, L"<!--") == 0) {
            const size_t end = html.find(L"-->", at + 4);
            at = end == std::wstring::npos ? html.size() : end + 3;
            continue;
        }
        const bool closing = at + 1 < html.size() && html[at + 1] == L'/';
        const std::wstring name = LowerName(html, at + (closing ? 2 : 1));
        size_t end = html.find(L'>', at);
        end = end == std::wstring::npos ? html.size() : end + 1;
        if (!closing && IsOneOf(name, kHiddenElements)) {
            const size_t close = html.find(L"</", end);
            size_t skipTo = close;
            while (skipTo != std::wstring::npos && LowerName(html, skipTo + 2) != name) {
                skipTo = html.find(L"</", skipTo + 2);
            }
            end = skipTo == std::wstring::npos ? html.size() : html.find(L'>', skipTo);
            end = end == std::wstring::npos ? html.size() : end + 1;
        }
        if (IsOneOf(name, kBlockElements)) {
            text += L' ';
        }
        at = end;
    }
    return text;
}

} // namespace brw::mime
