// Character set translation and time conversion.
#include "platform/notes/Lmbcs.h"
#include "platform/notes/TimeDate.h"

#include <gtest/gtest.h>
#include <notesapi.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

std::string ToLmbcs(const std::wstring& text, WORD size = 512)
{
    std::string out(size, '\x7F');
    const WORD n = OSTranslate(OS_TRANSLATE_UNICODE_TO_LMBCS, reinterpret_cast<const char*>(text.c_str()),
                               static_cast<WORD>(text.size() * 2), out.data(), size);
    return out.substr(0, n);
}

std::wstring ToWide(const std::string& text)
{
    wchar_t out[256] = {};
    const WORD n = OSTranslate(OS_TRANSLATE_LMBCS_TO_UNICODE, text.data(), static_cast<WORD>(text.size()),
                               reinterpret_cast<char*>(out), sizeof(out));
    return std::wstring(out, n / 2);
}

} // namespace

TEST(Lmbcs, GroupsRoundTrip)
{
    EXPECT_EQ("Plain ASCII", ToLmbcs(L"Plain ASCII"));
    EXPECT_EQ("\x82t\x82", ToLmbcs(L"\u00E9t\u00E9")) << "code page 850 without its group byte";
    EXPECT_EQ(std::string("\x14\x01\x0A", 3), ToLmbcs(L"\u010A")) << "U+010A goes to the Unicode group";
    EXPECT_EQ(std::string("\x14\xF6\x01", 3), ToLmbcs(L"\u0100")) << "a zero low byte is written as F6";
    const std::wstring mixed = L"Gr\u00FC\u00DFe \u010A \u65E5\u672C \u0416";
    EXPECT_EQ(mixed, ToWide(ToLmbcs(mixed)));
    EXPECT_EQ(L"\u00E9", ToWide(std::string("\x01\x82", 2))) << "the explicit group 1 form is read too";
    EXPECT_EQ(L"\u010A", ToWide(std::string("\x14\x01\x0A", 3))) << "0x0A inside a character is no line end";
    EXPECT_EQ(L"?", ToWide(std::string("\x14\x01", 2))) << "a cut character does not read past the input";
}

TEST(Lmbcs, BuffersAreBoundedAndNeverSplitACharacter)
{
    // U+010A needs three bytes: four bytes of room hold "a" and one character.
    const std::string out = ToLmbcs(L"a\u010A\u010A", 5);
    EXPECT_EQ(std::string("a\x14\x01\x0A", 4), out);
    wchar_t wide[3] = {L'#', L'#', L'#'};
    const WORD n = OSTranslate(OS_TRANSLATE_LMBCS_TO_UNICODE, "abcdef", 0xFFFF, reinterpret_cast<char*>(wide), 4);
    EXPECT_EQ(4u, n);
    EXPECT_EQ(L'#', wide[2]) << "nothing written past the size given";
    EXPECT_EQ(0u, OSTranslate(OS_TRANSLATE_LMBCS_TO_UNICODE, "abc", 3, nullptr, 10));
}

TEST(Lmbcs, SteppingBackFindsCharacterStarts)
{
    const std::string text = std::string("ab\x14\x01\x0A", 5) + "c";
    BYTE* start = reinterpret_cast<BYTE*>(const_cast<char*>(text.data()));
    NLS_PINFO info = OSGetLMBCSCLS();
    // From the end of the three-byte character back to its first byte.
    BYTE* p = start + 5;
    ASSERT_EQ(NLS_SUCCESS, NLS_goto_prev(&p, start, info));
    EXPECT_EQ(start + 2, p);
    p = start + 4; // inside the character
    ASSERT_EQ(NLS_SUCCESS, NLS_goto_prev(&p, start, info));
    EXPECT_EQ(start + 2, p);
    p = start + 2;
    ASSERT_EQ(NLS_SUCCESS, NLS_goto_prev(&p, start, info));
    EXPECT_EQ(start + 1, p);
    p = start;
    EXPECT_EQ(NLS_STARTOFSTRING, NLS_goto_prev(&p, start, info));
}

TEST(TimeText, ProductFormatAndRoundTrip)
{
    const TIMEDATE t = timedate::FromUtcParts(2024, 2, 29, 13, 5, 9, 0, 0, false);
    INTLFORMAT intl{};
    OSGetIntlSettings(&intl, 139);
    intl.Flags = 0x0148;
    const TFMT format{TDFMT_FULL4, TTFMT_FULL, TZFMT_NEVER, TSFMT_DATETIME};
    char text[81] = {};
    WORD length = 0;
    ASSERT_EQ(NOERROR_STATUS, ConvertTIMEDATEToText(&intl, &format, &t, text, sizeof(text), &length));
    FILETIME utc;
    SYSTEMTIME st;
    SYSTEMTIME local;
    ASSERT_TRUE(timedate::ToFileTime(t, &utc));
    FileTimeToSystemTime(&utc, &st);
    SystemTimeToTzSpecificLocalTime(nullptr, &st, &local);
    char expected[32];
    std::snprintf(expected, sizeof(expected), "%02u/%02u/%04u %02u:%02u:%02u", local.wDay, local.wMonth, local.wYear,
                  local.wHour, local.wMinute, local.wSecond);
    EXPECT_STREQ(expected, text);
    EXPECT_EQ(19u, length);

    char* cursor = text;
    TIMEDATE back{};
    ASSERT_EQ(NOERROR_STATUS, ConvertTextToTIMEDATE(&intl, nullptr, &cursor, length, &back));
    EXPECT_EQ(timedate::Ticks(t), timedate::Ticks(back));
    EXPECT_EQ(text + length, cursor);

    char defaults[81];
    ASSERT_EQ(NOERROR_STATUS, ConvertTIMEDATEToText(nullptr, nullptr, &t, defaults, sizeof(defaults), &length));
    cursor = defaults;
    ASSERT_EQ(NOERROR_STATUS, ConvertTextToTIMEDATE(nullptr, nullptr, &cursor, length, &back));
    EXPECT_EQ(timedate::Ticks(t), timedate::Ticks(back)) << defaults;
}

TEST(TimeText, ConstantsBadTextAndSmallBuffers)
{
    TIMEDATE t{{5, 5}};
    TimeConstant(TIMEDATE_MINIMUM, &t);
    EXPECT_EQ(0u, t.Innards[0]);
    EXPECT_EQ(0u, t.Innards[1]);
    TimeConstant(TIMEDATE_WILDCARD, &t);
    EXPECT_EQ(ANYDAY, t.Innards[1]);

    char bad[] = "not a time";
    char* cursor = bad;
    TIMEDATE untouched{{1, 2}};
    EXPECT_EQ(ERR_TDI_CONV, ConvertTextToTIMEDATE(nullptr, nullptr, &cursor, sizeof(bad), &untouched));
    EXPECT_EQ(bad, cursor);
    EXPECT_EQ(1u, untouched.Innards[0]);
    char month[] = "13/45/2024 10:00:00";
    cursor = month;
    EXPECT_NE(NOERROR_STATUS, ConvertTextToTIMEDATE(nullptr, nullptr, &cursor, sizeof(month), &untouched));

    const TIMEDATE when = timedate::FromUtcParts(2001, 1, 1, 0, 0, 0, 0, 0, false);
    char tiny[6] = {'#', '#', '#', '#', '#', '#'};
    WORD length = 0;
    ASSERT_EQ(NOERROR_STATUS, ConvertTIMEDATEToText(nullptr, nullptr, &when, tiny, 5, &length));
    EXPECT_EQ(4u, length);
    EXPECT_EQ('\0', tiny[4]);
    EXPECT_EQ('#', tiny[5]);
}
