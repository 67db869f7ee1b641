#include "handler/pipe/ReplyFields.h"

#include <cstring>
#include <cwchar>
#include <string_view>

namespace brw {
namespace {

using View = std::wstring_view;
constexpr size_t npos = View::npos;

constexpr View kValueOpen = L"<value>";
constexpr View kValueClose = L"</value>";
constexpr View kIdOpen = L"<d>";
constexpr View kIdClose = L"</d>";

std::wstring FieldPattern(const wchar_t* prefix, const wchar_t* name)
{
    return std::wstring(prefix) + name + L"</name><value>";
}

// Start and length of the value after the first occurrence of pattern.
bool FindValue(View text, const std::wstring& pattern, size_t* start, size_t* length, size_t* patternAt = nullptr)
{
    const size_t at = text.find(pattern);
    if (at == npos) {
        return false;
    }
    const size_t begin = at + pattern.size();
    const size_t end = text.find(kValueClose, begin);
    if (end == npos) {
        return false;
    }
    *start = begin;
    *length = end - begin;
    if (patternAt) {
        *patternAt = at;
    }
    return true;
}

bool AppendCodePoint(unsigned long code, std::wstring* out)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return false;
    }
    if (code >= 0x10000) {
        code -= 0x10000;
        out->push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
        out->push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    } else {
        out->push_back(static_cast<wchar_t>(code));
    }
    return true;
}

int DigitValue(wchar_t c, int base)
{
    int value = -1;
    if (c >= L'0' && c <= L'9') {
        value = c - L'0';
    } else if (c >= L'a' && c <= L'f') {
        value = c - L'a' + 10;
    } else if (c >= L'A' && c <= L'F') {
        value = c - L'A' + 10;
    }
    return value < base ? value : -1;
}

// "#123" or "#x1F" (without "&" and ";"); false for anything malformed.
bool DecodeNumeric(View body, std::wstring* out)
{
    if (body.size() < 2 || body[0] != L'#') {
        return false;
    }
    int base = 10;
    size_t i = 1;
    if (body[1] == L'x' || body[1] == L'X') {
        base = 16;
        i = 2;
    }
    if (i >= body.size() || body.size() - i > 8) {
        return false;
    }
    unsigned long code = 0;
    for (; i < body.size(); ++i) {
        const int digit = DigitValue(body[i], base);
        if (digit < 0) {
            return false;
        }
        code = code * base + digit;
    }
    return AppendCodePoint(code, out);
}

bool DecodeReference(View body, std::wstring* out)
{
    static const struct {
        const wchar_t* name;
        wchar_t character;
    } kEntities[] = {{L"amp", L'&'}, {L"lt", L'<'}, {L"gt", L'>'}, {L"quot", L'"'}, {L"apos", L'\''}};
    for (const auto& entity : kEntities) {
        if (body == entity.name) {
            out->push_back(entity.character);
            return true;
        }
    }
    return DecodeNumeric(body, out);
}

std::wstring DecodedValue(View text, size_t start, size_t length)
{
    return DecodeCharacterReferences(std::wstring(text.substr(start, length)));
}

// The number starting at position, read as long as there are digits (none
// read as 0, which no day or month accepts); false when it cannot be a
// field of a date.
bool NumberAt(View value, size_t position, WORD* number)
{
    unsigned long result = 0;
    for (size_t i = position; i < value.size() && value[i] >= L'0' && value[i] <= L'9'; ++i) {
        result = result * 10 + (value[i] - L'0');
        if (result > 0xFFFF) {
            return false;
        }
    }
    *number = static_cast<WORD>(result);
    return true;
}

void AppendListValues(View text, size_t first, size_t listEnd, int count, StringList* list)
{
    list->Reserve(count);
    size_t start = first;
    size_t close = text.find(kValueClose, start);
    while (close != npos && close < listEnd && list->Count() < count) {
        list->Append(DecodedValue(text, start, close - start));
        const size_t next = text.find(kValueOpen, close + kValueClose.size());
        if (next == npos) {
            break;
        }
        start = next + kValueOpen.size();
        close = text.find(kValueClose, start);
    }
}

} // namespace

std::wstring DecodeCharacterReferences(const std::wstring& raw)
{
    if (raw.find(L'&') == std::wstring::npos) {
        return raw;
    }
    std::wstring out;
    out.reserve(raw.size());
    const View text(raw);
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == L'&') {
            // The longest reference is "&#x10FFFF;"; a ";" further on ends
            // something else.
            const size_t semicolon = text.find(L';', i + 1);
            if (semicolon != npos && semicolon - i <= 10 &&
                DecodeReference(text.substr(i + 1, semicolon - i - 1), &out)) {
                i = semicolon + 1;
                continue;
            }
        }
        out.push_back(text[i++]);
    }
    return out;
}

bool GetFieldValue(View text, const wchar_t* name, std::wstring* value)
{
    size_t start = 0;
    size_t length = 0;
    if (!name || !FindValue(text, FieldPattern(L"<name>", name), &start, &length)) {
        return false;
    }
    if (length > 0) {
        *value = DecodedValue(text, start, length);
    }
    return true;
}

bool HasFieldValue(View text, const wchar_t* name)
{
    size_t start = 0;
    size_t length = 0;
    return name && FindValue(text, FieldPattern(L"<name>", name), &start, &length) && length > 0;
}

bool GetTextListField(View text, const wchar_t* name, StringList* list)
{
    if (!name) {
        return false;
    }
    const View all(text);
    const std::wstring pattern = FieldPattern(L"<textlistfield><name>", name);
    const size_t at = all.find(pattern);
    if (at != npos) {
        const size_t listEnd = all.find(L"</textlistfield>", at);
        if (listEnd == npos) {
            return false;
        }
        int count = 0;
        for (size_t close = all.find(kValueClose, at); close != npos && close < listEnd;
             close = all.find(kValueClose, close + kValueClose.size())) {
            ++count;
        }
        if (count == 0) {
            return false;
        }
        AppendListValues(all, at + pattern.size(), listEnd, count, list);
        return true;
    }
    std::wstring single;
    if (!HasFieldValue(text, name) || !GetFieldValue(text, name, &single)) {
        return false;
    }
    list->Reserve(1);
    list->Append(std::move(single));
    return true;
}

bool GetElementText(View text, const wchar_t* element, std::wstring* value, unsigned short occurrence)
{
    if (!element || occurrence == 0) {
        return false;
    }
    const View all(text);
    const std::wstring open = std::wstring(L"<") + element + L">";
    const std::wstring close = std::wstring(L"</") + element + L">";
    size_t from = 0;
    for (unsigned count = 1;; ++count) {
        const size_t at = all.find(open, from);
        if (at == npos) {
            return false;
        }
        const size_t begin = at + open.size();
        const size_t end = all.find(close, begin);
        if (end == npos) {
            return false;
        }
        if (count == occurrence) {
            if (end > begin) {
                *value = DecodedValue(all, begin, end - begin);
            }
            return true;
        }
        from = end + close.size();
    }
}

bool GetDateField(View text, const wchar_t* name, FILETIME* utc)
{
    size_t start = 0;
    size_t length = 0;
    if (!name || !FindValue(text, FieldPattern(L"<name>", name), &start, &length)) {
        return false;
    }
    if (length < 19 || length > 50) {
        return false;
    }
    const View value = text.substr(start, length);
    SYSTEMTIME local = {};
    if (!NumberAt(value, 0, &local.wDay) || !NumberAt(value, 3, &local.wMonth) || !NumberAt(value, 6, &local.wYear) ||
        !NumberAt(value, 11, &local.wHour) || !NumberAt(value, 14, &local.wMinute) ||
        !NumberAt(value, 17, &local.wSecond)) {
        return false;
    }
    // An impossible date (31 February, hour 25) is no date, whatever the
    // zone conversion would make of it.
    FILETIME validated = {};
    SYSTEMTIME universal = {};
    if (!SystemTimeToFileTime(&local, &validated) || !TzSpecificLocalTimeToSystemTime(nullptr, &local, &universal)) {
        return false;
    }
    return SystemTimeToFileTime(&universal, utc) != FALSE;
}

bool NextDocumentId(PipeReply* reply, wchar_t (&id)[9])
{
    const View all = reply->View();
    for (;;) {
        if (reply->position >= all.size()) {
            return false;
        }
        const size_t open = all.find(kIdOpen, reply->position);
        if (open == npos) {
            reply->position = all.size();
            return false;
        }
        const size_t begin = open + kIdOpen.size();
        const size_t close = all.find(kIdClose, begin);
        if (close == npos) {
            reply->position = all.size();
            return false;
        }
        reply->position = close + kIdClose.size();
        const size_t length = close - begin;
        if (length > 8) {
            continue; // not a note id the data service writes; never truncated into one
        }
        std::wmemset(id, L'0', 8 - length);
        std::wmemcpy(id + (8 - length), all.data() + begin, length);
        id[8] = L'\0';
        return true;
    }
}

} // namespace brw
