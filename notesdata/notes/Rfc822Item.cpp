#include "notesdata/notes/Rfc822Item.h"

#include "notesdata/mime/HeaderText.h"
#include "notesdata/mime/MailDate.h"
#include "notesdata/notes/NotesText.h"

#include <cstring>
#include <optional>
#include <string_view>

namespace brw {
namespace {

static_assert(sizeof(RFC822ITEMDESC) == 14, "the header item descriptor is packed");

// TIMEDATE's second word: the Julian day below, the zone above.
constexpr DWORD kJulianDayMask = 0x00FFFFFF;
constexpr DWORD kZoneEast = 0x40000000;

struct Rfc822Parts {
    DWORD flags;
    std::string_view native; // Notes text, or a TIMEDATE for dates
    std::string_view body;   // the header body as received
};

bool SplitValue(const char* value, DWORD length, Rfc822Parts* parts)
{
    RFC822ITEMDESC descriptor;
    if (length < sizeof(descriptor)) {
        return false;
    }
    std::memcpy(&descriptor, value, sizeof(descriptor));
    const DWORD pieces =
        DWORD(descriptor.wNotesNativeLen) + descriptor.w822NameLen + descriptor.w822DelimLen + descriptor.w822BodyLen;
    if (sizeof(descriptor) + pieces > length) {
        return false;
    }
    const char* native = value + sizeof(descriptor);
    const char* body = native + descriptor.wNotesNativeLen + descriptor.w822NameLen + descriptor.w822DelimLen;
    *parts = Rfc822Parts{descriptor.dwFlags, std::string_view(native, descriptor.wNotesNativeLen),
                         std::string_view(body, descriptor.w822BodyLen)};
    return true;
}

// A TIMEDATE: hundredths of the day in UTC, then the Julian day with the
// sender's zone in the top byte (whole hours, quarter hours, east of UTC);
// whether daylight saving was in effect the text does not say.
TIMEDATE TimeOfMailDate(const mime::MailDate& date)
{
    constexpr long long kSecondsPerDay = 86400;
    constexpr long long kJulianDayOfEpoch = 2440588;
    const long long days = date.utcSeconds >= 0 ? date.utcSeconds / kSecondsPerDay
                                                : (date.utcSeconds - kSecondsPerDay + 1) / kSecondsPerDay;
    const long long secondOfDay = date.utcSeconds - days * kSecondsPerDay;
    const int offset = date.offsetMinutes < 0 ? -date.offsetMinutes : date.offsetMinutes;
    DWORD zone = DWORD(offset / 60) << 24 | DWORD(offset % 60 / 15) << 28;
    zone |= date.offsetMinutes > 0 ? kZoneEast : 0;
    TIMEDATE time;
    time.Innards[0] = static_cast<DWORD>(secondOfDay * 100);
    time.Innards[1] = (static_cast<DWORD>(days + kJulianDayOfEpoch) & kJulianDayMask) | zone;
    return time;
}

// A time value that names a day: not cleared to zero, not "any day".
bool IsUsableTime(std::string_view native, TIMEDATE* time)
{
    if (native.size() != sizeof(TIMEDATE)) {
        return false;
    }
    std::memcpy(time, native.data(), sizeof(TIMEDATE));
    const DWORD day = time->Innards[1] & kJulianDayMask;
    return day != 0 && day != (ANYDAY & kJulianDayMask);
}

// The item's time value; without a usable one, the date its header text
// gives; nothing when neither is a date.
Rfc822Value DateValue(const Rfc822Parts& parts)
{
    Rfc822Value result;
    if (IsUsableTime(parts.native, &result.time)) {
        result.kind = Rfc822Value::Kind::Time;
    } else if (const std::optional<mime::MailDate> date = mime::ParseMailDate(parts.body)) {
        result.kind = Rfc822Value::Kind::Time;
        result.time = TimeOfMailDate(*date);
    }
    return result;
}

Rfc822Value TextValue(std::vector<std::wstring> texts, bool asList)
{
    Rfc822Value result;
    if (!texts.empty()) {
        result.kind = asList || texts.size() > 1 ? Rfc822Value::Kind::TextList : Rfc822Value::Kind::Text;
        result.texts = std::move(texts);
    }
    return result;
}

} // namespace

Rfc822Value ReadRfc822Value(const char* value, DWORD length)
{
    Rfc822Parts parts{};
    if (!SplitValue(value, length, &parts)) {
        return Rfc822Value();
    }
    const DWORD format = parts.flags & RFC822_ITEM_FORMAT_MASK;
    if (format == RFC822_ITEM_FORMAT_DATE) {
        return DateValue(parts);
    }
    // A header kept only in its Notes form is shown as Notes keeps it.
    if (parts.body.empty()) {
        std::wstring native = LmbcsToWide(parts.native.data(), parts.native.size());
        return TextValue(native.empty() ? std::vector<std::wstring>() : std::vector<std::wstring>{native}, false);
    }
    const bool asList = (parts.flags & RFC822_ITEM_TEXT_LIST) != 0;
    if (format == RFC822_ITEM_FORMAT_ADDR) {
        return TextValue(mime::SplitAddresses(parts.body), asList);
    }
    std::wstring text = mime::DecodeHeaderText(parts.body);
    return TextValue(text.empty() ? std::vector<std::wstring>() : std::vector<std::wstring>{text}, false);
}

} // namespace brw
