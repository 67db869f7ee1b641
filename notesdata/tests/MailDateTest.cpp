// Dates of mail headers as senders write them, the older forms included,
// and text that is no date: it gives nothing and never reads past itself.
#include "notesdata/mime/MailDate.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

using brw::mime::MailDate;
using brw::mime::ParseMailDate;

// 2014-08-08 17:18:33 UTC
constexpr long long kAugust8 = 1407518313;

void ExpectDate(const char* text, long long utcSeconds, int offsetMinutes)
{
    const std::optional<MailDate> date = ParseMailDate(text);
    ASSERT_TRUE(date.has_value()) << text;
    EXPECT_EQ(utcSeconds, date->utcSeconds) << text;
    EXPECT_EQ(offsetMinutes, date->offsetMinutes) << text;
}

TEST(MailDate, NumericZonesMoveTheTimeToUtc)
{
    ExpectDate("Fri, 8 Aug 2014 13:18:33 -0400", kAugust8, -240);
    ExpectDate("8 Aug 2014 17:18:33 +0000", kAugust8, 0);
    ExpectDate("Fri, 08 Aug 2014 19:18:33 +0200 (CEST)", kAugust8, 120);
    ExpectDate("Fri, 8 Aug 2014 22:48:33 +0530", kAugust8, 330);
    // The day before in UTC, and before 1970.
    ExpectDate("Sat, 9 Aug 2014 03:18:33 +1000", kAugust8, 600);
    ExpectDate("Thu, 1 Jan 1970 00:00:00 +0100", -3600, 60);
}

TEST(MailDate, ObsoleteZoneNamesAndMilitaryLetters)
{
    ExpectDate("Fri, 8 Aug 2014 13:18:33 EDT", kAugust8, -240);
    ExpectDate("Fri, 8 Aug 2014 12:18:33 est", kAugust8, -300);
    ExpectDate("Fri, 8 Aug 2014 10:18:33 PDT", kAugust8, -420);
    ExpectDate("Fri, 8 Aug 2014 11:18:33 CST", kAugust8, -360);
    ExpectDate("8 Aug 2014 17:18:33 GMT", kAugust8, 0);
    ExpectDate("8 Aug 2014 17:18:33 UT", kAugust8, 0);
    // Military letters and unknown names say nothing about the offset.
    ExpectDate("8 Aug 2014 17:18:33 Z", kAugust8, 0);
    ExpectDate("8 Aug 2014 17:18:33 CEST", kAugust8, 0);
    ExpectDate("8 Aug 2014 17:18:33 -0000", kAugust8, 0);
    // No zone written at all is read as UTC.
    ExpectDate("8 Aug 2014 17:18:33", kAugust8, 0);
}

TEST(MailDate, ShortFormsOfTimeAndYear)
{
    ExpectDate("1 Jan 2049 00:00 +0000", 2493072000LL, 0);
    ExpectDate("31 Dec 99 23:59 GMT", 946684740LL, 0);
    ExpectDate("1 Jan 49 00:00:00 GMT", 2493072000LL, 0);
    ExpectDate("1 Jun 50 12:00 GMT", -618062400LL, 0);
    ExpectDate("31 Dec 099 23:59 GMT", 946684740LL, 0);
    ExpectDate("Fri,8 Aug 2014 7:18:33 -1000", kAugust8, -600);
    ExpectDate("FRI, 8 AUG 2014 17:18:33 +0000", kAugust8, 0);
}

TEST(MailDate, FoldingCommentsAndLeapDays)
{
    ExpectDate("Fri,\r\n 8 Aug 2014 (sent (late\\) at night))\r\n\t13:18:33 -0400", kAugust8, -240);
    ExpectDate("29 Feb 1996 05:00:00 +0000", 825570000LL, 0);
    ExpectDate("29 Feb 2000 00:00:00 +0000", 951782400LL, 0);
    // A leap second is the last second of its minute.
    ExpectDate("30 Jun 2015 23:59:60 +0000", 1435708799LL, 0);
}

TEST(MailDate, TextThatIsNoDateGivesNothing)
{
    for (const char* text : {"",
                             "   ",
                             "no time value",
                             "(only a comment)",
                             "Fri, 32 Aug 2014 13:18:33 -0400",
                             "Fri, 0 Aug 2014 13:18:33 -0400",
                             "29 Feb 1900 00:00 +0000",
                             "29 Feb 2014 00:00 +0000",
                             "31 Apr 2014 00:00 +0000",
                             "8 Foo 2014 13:18:33 -0400",
                             "8 August 2014 13:18:33 -0400",
                             "8 Aug 2014 24:00:00 +0000",
                             "8 Aug 2014 13:60:00 +0000",
                             "8 Aug 2014 13:18:61 +0000",
                             "8 Aug 2014 13:18:33 +2400",
                             "8 Aug 2014 13:18:33 +0460",
                             "8 Aug 2014 13:18:33 +04",
                             "8 Aug 2014 13:18:33 -0400 extra",
                             "8 Aug 2014 13:18:33 (unclosed",
                             "8 Aug 2014",
                             "8 Aug 20145 13:18:33 +0000",
                             "8 Aug 0 13:18:33 +0000",
                             "8 Aug 0000 13:18 +0000",
                             "8 Aug 2014 13:1 +0000",
                             "8 Aug 2014 13.18.33 +0000",
                             "Fri, , 8 Aug 2014 13:18 +0000",
                             "8 Aug 2014 13:18:33 Pacific",
                             "123 Aug 2014 13:18 +0000",
                             "2014-08-08T13:18:33Z"}) {
        EXPECT_FALSE(ParseMailDate(text).has_value()) << text;
    }
    EXPECT_FALSE(ParseMailDate(std::string(100000, '9')).has_value());
    EXPECT_FALSE(ParseMailDate(std::string(100000, '(')).has_value());
}

// Cut and overwritten dates, one randomised run with a fixed seed: each
// gives a date with an offset a note can hold, or nothing.
TEST(MailDate, DamagedDatesGiveADateOrNothing)
{
    std::mt19937 random(81408);
    const std::string good = "Fri, 8 Aug 2014 (x) 13:18:33 -0400";
    for (int round = 0; round < 2000; ++round) {
        std::string text = good;
        for (unsigned hit = random() % 4 + 1; hit > 0 && !text.empty(); --hit) {
            const size_t at = random() % text.size();
            if (random() % 3 == 0) {
                text.resize(at);
            } else {
                text[at] = static_cast<char>(random() & 0xFF);
            }
        }
        const std::optional<MailDate> date = ParseMailDate(text);
        if (date) {
            EXPECT_GE(date->offsetMinutes, -(15 * 60 + 45)) << text;
            EXPECT_LE(date->offsetMinutes, 15 * 60 + 45) << text;
        }
    }
}

} // namespace
