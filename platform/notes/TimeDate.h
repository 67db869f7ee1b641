// TIMEDATE arithmetic and its text forms.
#pragma once
#include <notesapi.h>

#include <string>

namespace timedate {

constexpr DWORD kTicksPerDay = 8640000;
constexpr DWORD kJulianDay1601 = 2305814; // 1601-01-01, the FILETIME epoch

bool IsWildcard(const TIMEDATE& t) noexcept;
bool IsMinimum(const TIMEDATE& t) noexcept;
TIMEDATE Minimum() noexcept;
TIMEDATE Maximum() noexcept;
TIMEDATE Wildcard() noexcept;

// Hundredths of a second since the start of Julian day 0; the zone bits do
// not change the instant, so they play no part.
ULONGLONG Ticks(const TIMEDATE& t) noexcept;
int Compare(const TIMEDATE& a, const TIMEDATE& b) noexcept;

TIMEDATE FromFileTime(const FILETIME& utc, bool withLocalZone = true) noexcept;
bool ToFileTime(const TIMEDATE& t, FILETIME* utc) noexcept;
TIMEDATE FromUtcParts(int year, int month, int day, int hour, int minute, int second, int hundredths,
                      int zoneMinutesEast, bool dst) noexcept;
TIMEDATE Now() noexcept;

const INTLFORMAT& DefaultIntl() noexcept;
// A caller's settings, checked: a null pointer means the defaults.
INTLFORMAT IntlOrDefault(const void* intl) noexcept;
TFMT DefaultFormat() noexcept;

std::string ToText(const INTLFORMAT& intl, const TFMT& format, const TIMEDATE& t);
// Parses from text, at most maxLength bytes; returns the bytes used, 0 when
// the text holds no date or time.
size_t FromText(const INTLFORMAT& intl, const char* text, size_t maxLength, TIMEDATE* result);

} // namespace timedate
