#pragma once
// The time of a database's last crawl pass, kept as text under the
// Databases list (the value names a database, its data the until-time of
// the pass that last handed over all its changes).
#include <notesapi.h>

#include <string>

namespace brw {

// Longest since-time text read back, its NUL not counted.
inline constexpr size_t kSinceTextLimit = 49;
// Longest until-time text written, in bytes of Notes text.
inline constexpr WORD kUntilTextBytes = 80;

// One hour earlier: a change made in the hour that repeats when daylight
// saving ends may carry a time before the one recorded. A document
// notified twice costs nothing; one missed stays stale.
TIMEDATE OneHourEarlier(const TIMEDATE& time);

// The since-time stored under valueName, moved an hour earlier; the
// earliest time when the value is missing, empty, too long or not a time.
TIMEDATE ReadSinceTime(const std::wstring& valueName);

enum class RecordRule {
    OnlyIfListed,     // the user may have removed the database during the pass
    CreateWhenAbsent, // a database the directory search found
};

// Writes the until-time under valueName; false when nothing was written.
bool RecordUntilTime(const std::wstring& valueName, const TIMEDATE& until, RecordRule rule);

} // namespace brw
