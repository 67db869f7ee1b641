#include "platform/notes/Values.h"

#include "platform/notes/TimeDate.h"

#include <cstdio>
#include <cstring>

namespace values {
namespace {

template <typename T>
void Put(std::vector<BYTE>& out, const T& value)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

std::vector<BYTE> Typed(WORD type)
{
    std::vector<BYTE> out;
    Put(out, type);
    return out;
}

int Digits(const std::string& s, size_t pos, size_t count)
{
    if (pos + count > s.size()) {
        return -1;
    }
    int value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (s[i] < '0' || s[i] > '9') {
            return -1;
        }
        value = value * 10 + (s[i] - '0');
    }
    return value;
}

} // namespace

std::vector<BYTE> Text(const std::string& lmbcs)
{
    std::vector<BYTE> out = Typed(TYPE_TEXT);
    out.insert(out.end(), lmbcs.begin(), lmbcs.end());
    return out;
}

std::vector<BYTE> TextList(const std::vector<std::string>& entries)
{
    std::vector<BYTE> out = Typed(TYPE_TEXT_LIST);
    Put(out, static_cast<USHORT>(entries.size()));
    for (const std::string& e : entries) {
        Put(out, static_cast<USHORT>(e.size()));
    }
    for (const std::string& e : entries) {
        out.insert(out.end(), e.begin(), e.end());
    }
    return out;
}

std::vector<BYTE> Number(double number)
{
    std::vector<BYTE> out = Typed(TYPE_NUMBER);
    Put(out, number);
    return out;
}

std::vector<BYTE> NumberList(const std::vector<double>& numbers)
{
    std::vector<BYTE> out = Typed(TYPE_NUMBER_RANGE);
    Put(out, RANGE{static_cast<USHORT>(numbers.size()), 0});
    for (double n : numbers) {
        Put(out, n);
    }
    return out;
}

std::vector<BYTE> Time(const TIMEDATE& t)
{
    std::vector<BYTE> out = Typed(TYPE_TIME);
    Put(out, t);
    return out;
}

std::vector<BYTE> TimeRange(const std::vector<TIMEDATE>& times, const std::vector<TIMEDATE_PAIR>& pairs)
{
    std::vector<BYTE> out = Typed(TYPE_TIME_RANGE);
    Put(out, RANGE{static_cast<USHORT>(times.size()), static_cast<USHORT>(pairs.size())});
    for (const TIMEDATE& t : times) {
        Put(out, t);
    }
    for (const TIMEDATE_PAIR& p : pairs) {
        Put(out, p);
    }
    return out;
}

std::vector<BYTE> RichText(const std::vector<BYTE>& records)
{
    std::vector<BYTE> out = Typed(TYPE_COMPOSITE);
    out.insert(out.end(), records.begin(), records.end());
    return out;
}

std::vector<BYTE> FileObject(const std::string& lmbcsName, DWORD size, const TIMEDATE& created,
                             const TIMEDATE& modified, WORD objectType, WORD fileFlags)
{
    std::vector<BYTE> out = Typed(TYPE_OBJECT);
    FILEOBJECT object{};
    object.Header.ObjectType = objectType;
    object.Header.RRV = 0;
    object.FileNameLength = static_cast<WORD>(lmbcsName.size());
    object.HostType = HOST_MSDOS;
    object.CompressionType = COMPRESS_NONE;
    object.Flags = fileFlags;
    object.FileSize = size;
    object.FileCreated = created;
    object.FileModified = modified;
    Put(out, object);
    out.insert(out.end(), lmbcsName.begin(), lmbcsName.end());
    return out;
}

std::vector<BYTE> Raw(WORD type, const std::vector<BYTE>& data)
{
    std::vector<BYTE> out = Typed(type);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

std::vector<BYTE> Rfc822Text(DWORD flags, const std::string& native, const std::string& header, const std::string& body)
{
    static constexpr char kDelimiter[] = ": ";
    RFC822ITEMDESC descriptor{};
    descriptor.wVersion = sizeof(RFC822ITEMDESC);
    descriptor.dwFlags = flags;
    descriptor.wNotesNativeLen = static_cast<WORD>(native.size());
    descriptor.w822NameLen = static_cast<WORD>(header.size());
    descriptor.w822DelimLen = static_cast<WORD>(sizeof(kDelimiter) - 1);
    descriptor.w822BodyLen = static_cast<WORD>(body.size());
    std::vector<BYTE> out = Typed(TYPE_RFC822_TEXT);
    Put(out, descriptor);
    for (const std::string* piece : {&native, &header}) {
        out.insert(out.end(), piece->begin(), piece->end());
    }
    out.insert(out.end(), kDelimiter, kDelimiter + sizeof(kDelimiter) - 1);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

std::vector<BYTE> MimePart(DWORD flags, BYTE partType, const std::string& boundary, const std::string& headers,
                           const std::string& data)
{
    MIME_PART descriptor{};
    descriptor.wVersion = MIME_PART_VERSION;
    descriptor.dwFlags = flags;
    descriptor.cPartType = partType;
    descriptor.wByteCount = static_cast<WORD>(boundary.size() + headers.size() + data.size());
    descriptor.wBoundaryLen = static_cast<WORD>(boundary.size());
    descriptor.wHeadersLen = static_cast<WORD>(headers.size());
    std::vector<BYTE> out = Typed(TYPE_MIME_PART);
    Put(out, descriptor);
    for (const std::string* piece : {&boundary, &headers, &data}) {
        out.insert(out.end(), piece->begin(), piece->end());
    }
    return out;
}

bool ParseDxlTime(const std::string& text, bool dst, TIMEDATE* result)
{
    size_t pos = 0;
    int year = -1;
    int month = 0;
    int day = 0;
    if (text.size() >= 8 && text[0] != 'T') {
        year = Digits(text, 0, 4);
        month = Digits(text, 4, 2);
        day = Digits(text, 6, 2);
        if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31) {
            return false;
        }
        pos = 8;
    }
    int hour = 0;
    int minute = 0;
    int second = 0;
    int hundredths = 0;
    const bool hasTime = pos < text.size() && text[pos] == 'T';
    if (hasTime) {
        hour = Digits(text, pos + 1, 2);
        minute = Digits(text, pos + 3, 2);
        second = Digits(text, pos + 5, 2);
        if (hour < 0 || minute < 0 || second < 0 || hour > 23 || minute > 59 || second > 60) {
            return false;
        }
        pos += 7;
        if (pos < text.size() && (text[pos] == ',' || text[pos] == '.')) {
            hundredths = Digits(text, pos + 1, 2);
            if (hundredths < 0) {
                return false;
            }
            pos += 3;
        }
    }
    if (year < 0 && !hasTime) {
        return false;
    }
    // The printed offset is the local one in effect (daylight saving
    // included), so the instant is local time minus the offset.
    int offset = 0;
    bool zoned = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        const int sign = text[pos] == '+' ? 1 : -1;
        const int hh = Digits(text, pos + 1, 2);
        const int mm = text.size() >= pos + 5 ? Digits(text, pos + 3, 2) : 0;
        if (hh < 0) {
            return false;
        }
        offset = sign * (hh * 60 + (mm < 0 ? 0 : mm));
        zoned = true;
    } else if (pos < text.size() && text[pos] == 'Z') {
        zoned = true;
    }
    if (year < 0) {
        result->Innards[1] = ANYDAY;
        result->Innards[0] = ((hour * 60 + minute) * 60 + second) * 100 + hundredths;
        return true;
    }
    const int standard = offset - (dst ? 60 : 0);
    TIMEDATE t = timedate::FromUtcParts(year, month, day, 0, 0, 0, 0, standard, dst);
    if (hasTime) {
        const LONGLONG ticks = ((hour * 60LL + minute - (zoned ? offset : 0)) * 60 + second) * 100 + hundredths;
        LONGLONG day0 = t.Innards[1] & 0x00FFFFFF;
        LONGLONG total = day0 * timedate::kTicksPerDay + ticks;
        t.Innards[0] = static_cast<DWORD>(total % timedate::kTicksPerDay);
        t.Innards[1] = (t.Innards[1] & 0xFF000000) | (static_cast<DWORD>(total / timedate::kTicksPerDay) & 0x00FFFFFF);
    } else {
        t.Innards[0] = ALLDAY;
    }
    *result = t;
    return true;
}

std::string FormatDxlTime(const TIMEDATE& t)
{
    FILETIME ft;
    SYSTEMTIME st;
    if (!timedate::ToFileTime(t, &ft) || !FileTimeToSystemTime(&ft, &st)) {
        return std::string();
    }
    char buffer[40];
    std::snprintf(buffer, sizeof(buffer), "%04u%02u%02uT%02u%02u%02u,%02u+00", st.wYear, st.wMonth, st.wDay, st.wHour,
                  st.wMinute, st.wSecond, static_cast<unsigned>((t.Innards[0] % 100)));
    return buffer;
}

} // namespace values
