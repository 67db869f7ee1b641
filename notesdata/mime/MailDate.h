#pragma once
// The date of a mail header (Date, Resent-Date) as its sender wrote it:
// "Fri, 8 Aug 2014 13:18:33 -0400", with the older forms mailers still
// send (two-digit years, named zones, no seconds, comments).
#include <optional>
#include <string_view>

namespace brw::mime {

struct MailDate {
    long long utcSeconds; // since 1970-01-01 00:00 UTC, negative before
    // The sender's offset from UTC in minutes, east positive; 0 for a zone
    // that says nothing (-0000, military letters, unknown names).
    int offsetMinutes;
};

// Nothing when the text is no date: a missing or unknown month, a day the
// month does not have, a time or offset out of range, words left over.
std::optional<MailDate> ParseMailDate(std::string_view text);

} // namespace brw::mime
