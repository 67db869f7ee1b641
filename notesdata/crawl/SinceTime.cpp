#include "notesdata/crawl/SinceTime.h"

#include "connector/SettingsStore.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/NotesTime.h"

#include <optional>

namespace brw {
namespace {

constexpr DWORD kTicksPerHour = 360000; // hundredths of a second
constexpr DWORD kTicksPerDay = 24 * kTicksPerHour;
// The date word keeps the Julian day in its low 24 bits, the zone above.
constexpr DWORD kJulianDayMask = 0x00FFFFFF;

} // namespace

TIMEDATE OneHourEarlier(const TIMEDATE& time)
{
    TIMEDATE earlier = time;
    const DWORD ticks = time.Innards[0];
    const DWORD day = time.Innards[1] & kJulianDayMask;
    if (ticks >= kTicksPerHour) {
        earlier.Innards[0] = ticks - kTicksPerHour;
    } else if (day > 0 && ticks < kTicksPerDay) {
        earlier.Innards[0] = ticks + kTicksPerDay - kTicksPerHour;
        earlier.Innards[1] = (time.Innards[1] & ~kJulianDayMask) | (day - 1);
    }
    return earlier;
}

TIMEDATE ReadSinceTime(const std::wstring& valueName)
{
    const RegKey list = settings::OpenDatabasesKey(KEY_READ);
    if (!list) {
        return EarliestTime();
    }
    const std::optional<std::wstring> text = settings::ReadString(list.get(), valueName.c_str(), kSinceTextLimit);
    if (!text || text->empty()) {
        return EarliestTime();
    }
    const std::optional<TIMEDATE> since = TimeFromText(WideToLmbcs(*text));
    return since ? OneHourEarlier(*since) : EarliestTime();
}

bool RecordUntilTime(const std::wstring& valueName, const TIMEDATE& until, RecordRule rule)
{
    const std::optional<std::string> text = DefaultTimeText(until, kUntilTextBytes);
    if (!text) {
        return false;
    }
    const RegKey list = settings::OpenDatabasesKey(KEY_READ | KEY_WRITE);
    if (!list) {
        return false;
    }
    if (rule == RecordRule::OnlyIfListed &&
        RegQueryValueExW(list.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    return settings::WriteString(list.get(), valueName.c_str(), LmbcsToWide(*text));
}

} // namespace brw
