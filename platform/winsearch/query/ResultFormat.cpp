#include "platform/winsearch/query/ResultFormat.h"

#include "common/WideString.h"

namespace brw::winsearch {

namespace {

std::wstring DateText(const ItemRecord& item)
{
    const PropertyValue* date = item.Find(kKeyDateModified);
    const std::uint64_t count =
        (date && date->type == ValueType::FileTime) ? static_cast<std::uint64_t>(date->number) : item.lastModified;
    if (count == 0) {
        return std::wstring();
    }
    FILETIME file{static_cast<DWORD>(count), static_cast<DWORD>(count >> 32)};
    SYSTEMTIME time{};
    if (!FileTimeToSystemTime(&file, &time)) {
        return std::wstring();
    }
    return FormatText(L"%04u-%02u-%02uT%02u:%02u:%02uZ", time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute,
                      time.wSecond);
}

std::wstring OneLine(std::wstring text)
{
    for (wchar_t& c : text) {
        if (c < L' ') {
            c = L' ';
        }
    }
    return text;
}

} // namespace

std::wstring DisplayName(const ItemRecord& item)
{
    for (const PROPERTYKEY* key : {&kKeyItemNameDisplay, &kKeyTitle, &kKeyItemName}) {
        std::wstring name = item.TextOf(*key);
        if (!name.empty()) {
            return name;
        }
    }
    return item.url;
}

std::wstring JsonString(const std::wstring& text)
{
    std::wstring out = L"\"";
    for (wchar_t c : text) {
        if (c == L'"' || c == L'\\') {
            out.push_back(L'\\');
            out.push_back(c);
        } else if (c < L' ') {
            out += FormatText(L"\\u%04x", static_cast<unsigned>(c));
        } else {
            out.push_back(c);
        }
    }
    out.push_back(L'"');
    return out;
}

std::wstring FormatResultsText(const std::vector<const ItemRecord*>& items)
{
    std::wstring out;
    for (const ItemRecord* item : items) {
        out += OneLine(DisplayName(*item)) + L" | " + OneLine(item->TextOf(kKeyAuthor)) + L" | " + DateText(*item) +
               L" | " + OneLine(item->TextOf(kKeyKind)) + L" | " + OneLine(item->url) + L"\n";
    }
    out += FormatText(L"%u result(s)\n", static_cast<unsigned>(items.size()));
    return out;
}

std::wstring FormatResultsJson(const std::vector<const ItemRecord*>& items)
{
    std::wstring out = FormatText(L"{\"count\":%u,\"results\":[", static_cast<unsigned>(items.size()));
    bool first = true;
    for (const ItemRecord* item : items) {
        out += first ? L"" : L",";
        first = false;
        out += L"{\"name\":" + JsonString(DisplayName(*item)) + L",\"author\":" + JsonString(item->TextOf(kKeyAuthor)) +
               L",\"date\":" + JsonString(DateText(*item)) + L",\"kind\":" + JsonString(item->TextOf(kKeyKind)) +
               L",\"itemType\":" + JsonString(item->TextOf(kKeyItemType)) + L",\"url\":" + JsonString(item->url) + L"}";
    }
    out += L"]}\n";
    return out;
}

} // namespace brw::winsearch
