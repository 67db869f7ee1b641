#pragma once
// Notes times as text: the reply's fixed form (24-hour clock, day-month-
// year, four-digit year) and the client's default form the crawl stores.
#include <notesapi.h>

#include <optional>
#include <string>

namespace brw {

// "dd/mm/yyyy hh:mm:ss" with the settings' separators; nothing when the
// time does not convert.
std::optional<std::wstring> ReplyTimeText(const TIMEDATE& time);

// The Notes default conversion, at most maxBytes bytes of Notes text.
std::optional<std::string> DefaultTimeText(const TIMEDATE& time, WORD maxBytes);

// The default conversion back; nothing when the text is not a time.
std::optional<TIMEDATE> TimeFromText(const std::string& lmbcsText);

TIMEDATE EarliestTime();

} // namespace brw
