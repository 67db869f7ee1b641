#include "platform/notes/TimeDate.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace timedate {
namespace {

constexpr ULONGLONG kFileTimePerTick = 100000; // 100 ns units per hundredth
constexpr DWORD kZoneEast = 0x40000000;
constexpr DWORD kDstFlag = 0x80000000;
constexpr DWORD kDayMask = 0x00FFFFFF;

// Days from the civil date to the Julian day number (proleptic Gregorian).
long JulianDay(int year, int month, int day) noexcept
{
    const int a = (14 - month) / 12;
    const long y = year + 4800 - a;
    const long m = month + 12 * a - 3;
    return day + (153 * m + 2) / 5 + 365 * y + y / 4 - y / 100 + y / 400 - 32045;
}

DWORD ZoneBits(int minutesEast, bool dst) noexcept
{
    const bool east = minutesEast > 0;
    const int magnitude = east ? minutesEast : -minutesEast;
    DWORD bits = (static_cast<DWORD>(magnitude / 60) & 0x0F) << 24;
    bits |= (static_cast<DWORD>((magnitude % 60) / 15) & 0x03) << 28;
    if (east) {
        bits |= kZoneEast;
    }
    if (dst) {
        bits |= kDstFlag;
    }
    return bits;
}

int LocalZoneMinutesEast(bool* dst) noexcept
{
    TIME_ZONE_INFORMATION tz{};
    const DWORD which = GetTimeZoneInformation(&tz);
    *dst = which == TIME_ZONE_ID_DAYLIGHT || tz.DaylightBias != 0;
    return -static_cast<int>(tz.Bias);
}

void CopyString(char (&target)[ISTRMAX], const char* text) noexcept
{
    std::strncpy(target, text, ISTRMAX - 1);
    target[ISTRMAX - 1] = 0;
}

INTLFORMAT MakeDefaults() noexcept
{
    INTLFORMAT intl{};
    intl.Flags = DATE_MDY | DATE_4DIGIT_YEAR;
    intl.CurrencyDigits = 2;
    intl.Length = sizeof(INTLFORMAT);
    CopyString(intl.AMString, "AM");
    CopyString(intl.PMString, "PM");
    CopyString(intl.CurrencyString, "$");
    CopyString(intl.ThousandString, ",");
    CopyString(intl.DecimalString, ".");
    CopyString(intl.DateString, "/");
    CopyString(intl.TimeString, ":");
    std::strcpy(intl.YesterdayString, "Yesterday");
    std::strcpy(intl.TodayString, "Today");
    std::strcpy(intl.TomorrowString, "Tomorrow");
    return intl;
}

std::string Separator(const char* field, char fallback)
{
    std::string s(field, strnlen(field, ISTRMAX));
    return s.empty() ? std::string(1, fallback) : s;
}

std::string DateText(const INTLFORMAT& intl, BYTE dateFormat, int year, int month, int day)
{
    const bool fourDigits = dateFormat == TDFMT_FULL4 || (intl.Flags & DATE_4DIGIT_YEAR) != 0;
    char y[8];
    char m[4];
    char d[4];
    std::snprintf(y, sizeof(y), fourDigits ? "%04d" : "%02d", fourDigits ? year : year % 100);
    std::snprintf(m, sizeof(m), "%02d", month);
    std::snprintf(d, sizeof(d), "%02d", day);
    const std::string sep = Separator(intl.DateString, '/');
    if (intl.Flags & DATE_YMD) {
        return std::string(y) + sep + m + sep + d;
    }
    if (intl.Flags & DATE_DMY) {
        return std::string(d) + sep + m + sep + y;
    }
    return std::string(m) + sep + d + sep + y;
}

std::string TimeText(const INTLFORMAT& intl, int hour, int minute, int second)
{
    const std::string sep = Separator(intl.TimeString, ':');
    char buffer[64];
    if (intl.Flags & CLOCK_24_HOUR) {
        std::snprintf(buffer, sizeof(buffer), "%02d%s%02d%s%02d", hour, sep.c_str(), minute, sep.c_str(), second);
        return buffer;
    }
    const char* suffix = hour < 12 ? intl.AMString : intl.PMString;
    const int h12 = hour % 12 == 0 ? 12 : hour % 12;
    std::snprintf(buffer, sizeof(buffer), "%02d%s%02d%s%02d %.*s", h12, sep.c_str(), minute, sep.c_str(), second,
                  static_cast<int>(strnlen(suffix, ISTRMAX)), suffix);
    return buffer;
}

struct Scanner {
    const char* p;
    const char* end;

    void SkipBlanks() noexcept
    {
        while (p < end && (*p == ' ' || *p == '\t')) {
            ++p;
        }
    }
    // Reads up to maxDigits digits; -1 when none.
    int Number(int maxDigits, int* digits) noexcept
    {
        int value = 0;
        *digits = 0;
        while (p < end && *digits < maxDigits && std::isdigit(static_cast<unsigned char>(*p))) {
            value = value * 10 + (*p - '0');
            ++p;
            ++*digits;
        }
        return *digits == 0 ? -1 : value;
    }
    bool SkipSeparator() noexcept
    {
        if (p < end && (*p == '/' || *p == '-' || *p == '.' || *p == ':')) {
            ++p;
            return true;
        }
        return false;
    }
    bool SkipTimeSeparator(const INTLFORMAT& intl) noexcept
    {
        if (p < end && (*p == ':' || (intl.TimeString[0] != 0 && *p == intl.TimeString[0]))) {
            ++p;
            return true;
        }
        return false;
    }
    bool MatchNoCase(const char* word) noexcept
    {
        const size_t n = strnlen(word, ISTRMAX);
        if (n == 0 || static_cast<size_t>(end - p) < n || _strnicmp(p, word, n) != 0) {
            return false;
        }
        p += n;
        return true;
    }
};

bool ParseDate(const INTLFORMAT& intl, Scanner& s, int* year, int* month, int* day) noexcept
{
    int parts[3];
    int digits[3];
    for (int i = 0; i < 3; ++i) {
        if (i > 0 && !s.SkipSeparator()) {
            return false;
        }
        parts[i] = s.Number(i == 0 ? 4 : 4, &digits[i]);
        if (parts[i] < 0) {
            return false;
        }
    }
    int y;
    int yDigits;
    if (digits[0] == 4 || (intl.Flags & DATE_YMD)) {
        y = parts[0], yDigits = digits[0], *month = parts[1], *day = parts[2];
    } else if (intl.Flags & DATE_DMY) {
        *day = parts[0], *month = parts[1], y = parts[2], yDigits = digits[2];
    } else {
        *month = parts[0], *day = parts[1], y = parts[2], yDigits = digits[2];
    }
    if (yDigits <= 2) {
        y += y < 50 ? 2000 : 1900;
    }
    *year = y;
    return *month >= 1 && *month <= 12 && *day >= 1 && *day <= 31 && y >= 1 && y <= 9999;
}

bool ParseTime(const INTLFORMAT& intl, Scanner& s, int* hour, int* minute, int* second, int* hundredths) noexcept
{
    int digits = 0;
    *hour = s.Number(2, &digits);
    if (*hour < 0 || !s.SkipTimeSeparator(intl)) {
        return false;
    }
    *minute = s.Number(2, &digits);
    if (*minute < 0) {
        return false;
    }
    *second = 0;
    *hundredths = 0;
    const char* save = s.p;
    if (s.SkipTimeSeparator(intl)) {
        *second = s.Number(2, &digits);
        if (*second < 0) {
            s.p = save;
            *second = 0;
        } else if (s.p < s.end && (*s.p == '.' || *s.p == ',')) {
            ++s.p;
            *hundredths = s.Number(2, &digits);
            if (*hundredths < 0) {
                *hundredths = 0;
            } else if (digits == 1) {
                *hundredths *= 10;
            }
        }
    }
    const char* beforeSuffix = s.p;
    s.SkipBlanks();
    if (s.MatchNoCase(intl.PMString) || s.MatchNoCase("PM")) {
        if (*hour < 12) {
            *hour += 12;
        }
    } else if (s.MatchNoCase(intl.AMString) || s.MatchNoCase("AM")) {
        if (*hour == 12) {
            *hour = 0;
        }
    } else {
        s.p = beforeSuffix;
    }
    return *hour < 24 && *minute < 60 && *second < 60;
}

} // namespace

bool IsWildcard(const TIMEDATE& t) noexcept
{
    return t.Innards[0] == ALLDAY && t.Innards[1] == ANYDAY;
}
bool IsMinimum(const TIMEDATE& t) noexcept
{
    return t.Innards[0] == 0 && t.Innards[1] == 0;
}
TIMEDATE Minimum() noexcept
{
    return TIMEDATE{{0, 0}};
}
// The last hundredth of the last day the 24-bit day number can hold.
TIMEDATE Maximum() noexcept
{
    return TIMEDATE{{kTicksPerDay - 1, kDayMask - 1}};
}
TIMEDATE Wildcard() noexcept
{
    return TIMEDATE{{ALLDAY, ANYDAY}};
}

ULONGLONG Ticks(const TIMEDATE& t) noexcept
{
    if (IsWildcard(t)) {
        return 0;
    }
    const ULONGLONG day = t.Innards[1] & kDayMask;
    const ULONGLONG time = t.Innards[0] == ALLDAY ? 0 : t.Innards[0];
    return day * kTicksPerDay + time;
}

int Compare(const TIMEDATE& a, const TIMEDATE& b) noexcept
{
    const ULONGLONG x = Ticks(a);
    const ULONGLONG y = Ticks(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

TIMEDATE FromFileTime(const FILETIME& utc, bool withLocalZone) noexcept
{
    ULARGE_INTEGER v;
    v.LowPart = utc.dwLowDateTime;
    v.HighPart = utc.dwHighDateTime;
    const ULONGLONG ticks = v.QuadPart / kFileTimePerTick;
    TIMEDATE t;
    t.Innards[0] = static_cast<DWORD>(ticks % kTicksPerDay);
    t.Innards[1] = static_cast<DWORD>(kJulianDay1601 + ticks / kTicksPerDay) & kDayMask;
    if (withLocalZone) {
        bool dst = false;
        const int east = LocalZoneMinutesEast(&dst);
        t.Innards[1] |= ZoneBits(east, dst);
    }
    return t;
}

bool ToFileTime(const TIMEDATE& t, FILETIME* utc) noexcept
{
    const DWORD day = t.Innards[1] & kDayMask;
    if (IsWildcard(t) || t.Innards[1] == ANYDAY || day < kJulianDay1601) {
        return false;
    }
    const ULONGLONG time = t.Innards[0] == ALLDAY ? 0 : (t.Innards[0] % kTicksPerDay);
    ULARGE_INTEGER v;
    v.QuadPart = ((day - kJulianDay1601) * ULONGLONG(kTicksPerDay) + time) * kFileTimePerTick;
    utc->dwLowDateTime = v.LowPart;
    utc->dwHighDateTime = v.HighPart;
    return true;
}

TIMEDATE FromUtcParts(int year, int month, int day, int hour, int minute, int second, int hundredths,
                      int zoneMinutesEast, bool dst) noexcept
{
    LONGLONG ticks = static_cast<LONGLONG>(JulianDay(year, month, day)) * kTicksPerDay +
                     ((hour * 60LL + minute) * 60 + second) * 100 + hundredths;
    TIMEDATE t;
    t.Innards[0] = static_cast<DWORD>(ticks % kTicksPerDay);
    t.Innards[1] = (static_cast<DWORD>(ticks / kTicksPerDay) & kDayMask) | ZoneBits(zoneMinutesEast, dst);
    return t;
}

TIMEDATE Now() noexcept
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return FromFileTime(ft);
}

const INTLFORMAT& DefaultIntl() noexcept
{
    static const INTLFORMAT defaults = MakeDefaults();
    return defaults;
}

INTLFORMAT IntlOrDefault(const void* intl) noexcept
{
    INTLFORMAT copy = DefaultIntl();
    if (intl != nullptr) {
        std::memcpy(&copy, intl, sizeof(copy));
        // Strings of a caller's copy are bounded here, whatever it holds.
        copy.AMString[ISTRMAX - 1] = copy.PMString[ISTRMAX - 1] = 0;
        copy.DateString[ISTRMAX - 1] = copy.TimeString[ISTRMAX - 1] = 0;
    }
    return copy;
}

TFMT DefaultFormat() noexcept
{
    return TFMT{TDFMT_FULL, TTFMT_FULL, TZFMT_NEVER, TSFMT_DATETIME};
}

std::string ToText(const INTLFORMAT& intl, const TFMT& format, const TIMEDATE& t)
{
    if (IsWildcard(t)) {
        return std::string();
    }
    const bool hasDate = t.Innards[1] != ANYDAY && format.Structure != TSFMT_TIME;
    const bool hasTime = t.Innards[0] != ALLDAY && format.Structure != TSFMT_DATE;
    SYSTEMTIME local{};
    if (t.Innards[1] != ANYDAY) {
        FILETIME utc;
        SYSTEMTIME st;
        if (!ToFileTime(t, &utc) || !FileTimeToSystemTime(&utc, &st) ||
            !SystemTimeToTzSpecificLocalTime(nullptr, &st, &local)) {
            return std::string();
        }
    } else {
        const DWORD seconds = (t.Innards[0] % kTicksPerDay) / 100;
        local.wHour = static_cast<WORD>(seconds / 3600);
        local.wMinute = static_cast<WORD>((seconds / 60) % 60);
        local.wSecond = static_cast<WORD>(seconds % 60);
    }
    std::string text;
    if (hasDate) {
        text = DateText(intl, format.Date, local.wYear, local.wMonth, local.wDay);
    }
    if (hasTime) {
        if (!text.empty()) {
            text += ' ';
        }
        text += TimeText(intl, local.wHour, local.wMinute, local.wSecond);
    }
    return text;
}

size_t FromText(const INTLFORMAT& intl, const char* text, size_t maxLength, TIMEDATE* result)
{
    Scanner s{text, text + strnlen(text, maxLength)};
    s.SkipBlanks();
    const char* start = s.p;
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int hundredths = 0;
    const bool hasDate = ParseDate(intl, s, &year, &month, &day);
    if (!hasDate) {
        s.p = start;
    }
    s.SkipBlanks();
    const char* timeStart = s.p;
    const bool hasTime = ParseTime(intl, s, &hour, &minute, &second, &hundredths);
    if (!hasTime) {
        s.p = timeStart;
    }
    if (!hasDate && !hasTime) {
        return 0;
    }
    if (!hasDate) {
        result->Innards[1] = ANYDAY;
        result->Innards[0] = ((hour * 60 + minute) * 60 + second) * 100 + hundredths;
        return static_cast<size_t>(s.p - text);
    }
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(year);
    local.wMonth = static_cast<WORD>(month);
    local.wDay = static_cast<WORD>(day);
    local.wHour = static_cast<WORD>(hour);
    local.wMinute = static_cast<WORD>(minute);
    local.wSecond = static_cast<WORD>(second);
    SYSTEMTIME utc;
    FILETIME ft;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft)) {
        return 0;
    }
    *result = FromFileTime(ft);
    if (hasTime) {
        result->Innards[0] += hundredths;
    } else {
        result->Innards[0] = ALLDAY;
    }
    return static_cast<size_t>(s.p - text);
}

} // namespace timedate
