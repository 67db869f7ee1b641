#include "connector/RequestGate.h"

#include <windows.h>

#include <new>

namespace brw {
namespace {

constexpr wchar_t kByteOrderMark = 0xFEFF;

bool IsXmlSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n';
}

// Ends a name: white space, the end of the tag, or an empty element's slash.
bool EndsName(wchar_t c)
{
    return IsXmlSpace(c) || c == L'>' || c == L'/';
}

bool StartsWith(std::wstring_view text, std::wstring_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Skips past the closing text; false when it never comes.
bool SkipPast(std::wstring_view& text, std::wstring_view closing)
{
    const size_t end = text.find(closing);
    if (end == std::wstring_view::npos) {
        return false;
    }
    text.remove_prefix(end + closing.size());
    return true;
}

void SkipSpace(std::wstring_view& text)
{
    while (!text.empty() && IsXmlSpace(text.front())) {
        text.remove_prefix(1);
    }
}

// The data service picks a command with the user locale's comparison, which
// may take names that differ in ignorable characters for equal; the gate
// must refuse every name the service would run as the crawl.
bool NamesCrawlCommand(const std::wstring& name)
{
    return CompareStringW(LOCALE_USER_DEFAULT, 0, name.c_str(), static_cast<int>(name.size()), kCrawlCommandName, -1) ==
           CSTR_EQUAL;
}

} // namespace

std::optional<std::wstring> RootElementName(std::wstring_view text)
{
    if (!text.empty() && text.front() == kByteOrderMark) {
        text.remove_prefix(1);
    }
    for (;;) {
        SkipSpace(text);
        if (StartsWith(text, L"<?")) {
            if (!SkipPast(text, L"?>")) {
                return std::nullopt;
            }
        } else if (StartsWith(text, L"<!--")) {
            if (!SkipPast(text, L"-->")) {
                return std::nullopt;
            }
        } else if (StartsWith(text, L"<") && text.size() > 1 && !EndsName(text[1]) && text[1] != L'!') {
            text.remove_prefix(1);
            size_t length = 0;
            while (length < text.size() && !EndsName(text[length])) {
                ++length;
            }
            return std::wstring(text.substr(0, length));
        } else {
            return std::nullopt;
        }
    }
}

bool IsServedOverPipe(const wchar_t* request) noexcept
{
    if (request == nullptr) {
        return false;
    }
    try {
        const std::optional<std::wstring> name = RootElementName(request);
        return name && !NamesCrawlCommand(*name);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

} // namespace brw
