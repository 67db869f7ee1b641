#include "notesdata/notes/NotesTime.h"

#include "notesdata/notes/NotesText.h"

namespace brw {
namespace {

constexpr WORD kReplyTimeFlags = CLOCK_24_HOUR | DATE_DMY | DATE_4DIGIT_YEAR; // 0x0148
constexpr WORD kReplyTimeBytes = 80;

} // namespace

std::optional<std::wstring> ReplyTimeText(const TIMEDATE& time)
{
    INTLFORMAT settings{};
    OSGetIntlSettings(&settings, sizeof(settings));
    settings.Flags = kReplyTimeFlags;
    const TFMT format{TDFMT_FULL4, TTFMT_FULL, TZFMT_NEVER, TSFMT_DATETIME};
    char text[kReplyTimeBytes + 1] = {};
    WORD length = 0;
    if (ConvertTIMEDATEToText(&settings, &format, &time, text, kReplyTimeBytes, &length) != NOERROR_STATUS ||
        length == 0 || length > kReplyTimeBytes) {
        return std::nullopt;
    }
    return LmbcsToWide(text, length);
}

std::optional<std::string> DefaultTimeText(const TIMEDATE& time, WORD maxBytes)
{
    std::string text(static_cast<size_t>(maxBytes) + 1, '\0');
    WORD length = 0;
    if (ConvertTIMEDATEToText(nullptr, nullptr, &time, text.data(), maxBytes, &length) != NOERROR_STATUS ||
        length > maxBytes) {
        return std::nullopt;
    }
    text.resize(length);
    return text;
}

std::optional<TIMEDATE> TimeFromText(const std::string& lmbcsText)
{
    if (lmbcsText.empty() || lmbcsText.size() > 0xFFFE) {
        return std::nullopt;
    }
    std::string copy = lmbcsText;
    char* cursor = copy.data();
    TIMEDATE time{};
    if (ConvertTextToTIMEDATE(nullptr, nullptr, &cursor, static_cast<WORD>(copy.size()), &time) != NOERROR_STATUS) {
        return std::nullopt;
    }
    return time;
}

TIMEDATE EarliestTime()
{
    TIMEDATE time{};
    TimeConstant(TIMEDATE_MINIMUM, &time);
    return time;
}

} // namespace brw
