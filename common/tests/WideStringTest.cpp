#include "common/WideString.h"

#include <objbase.h>
#include <gtest/gtest.h>

#include <string>

namespace brw {
namespace {

TEST(CopyBounded, CopiesAtMostLengthMinusOneAndLeavesBadBuffersUntouched)
{
    constexpr int kLength = 10;
    const wchar_t kThirty[] = L"abcdefghijklmnopqrstuvwxyz0123";
    const struct {
        int length;
        const wchar_t* source;
        const wchar_t* expected; // nullptr: buffer untouched
        bool fits;
    } cases[] = {
        {kLength, kThirty, L"abcdefghi", false},
        {kLength, L"abcdefghi", L"abcdefghi", true},
        {kLength, L"abcdefghij", L"abcdefghi", false},
        {1, L"abc", L"", false},
        {kLength, nullptr, L"", true},
        {0, L"abc", nullptr, false},
        {-1, L"abc", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "length " << c.length << ", case " << (&c - cases));
        std::wstring buffer(kLength, L'#');
        buffer += L'@'; // canary just past the buffer
        EXPECT_EQ(c.fits, CopyBounded(&buffer[0], c.length, c.source));
        if (c.expected) {
            EXPECT_STREQ(c.expected, buffer.c_str());
        } else {
            EXPECT_EQ(std::wstring(kLength, L'#'), buffer.substr(0, kLength));
        }
        EXPECT_EQ(L'@', buffer[kLength]);
    }
    EXPECT_FALSE(CopyBounded(nullptr, kLength, L"abc"));
}

TEST(StartsWithNoCase, ComparesOnlyThePrefixWithoutCase)
{
    EXPECT_TRUE(StartsWithNoCase(L"BRW://{S-1-5}/db.nsf", L"brw://"));
    EXPECT_TRUE(StartsWithNoCase(L"\u00C4rger", L"\u00E4"));
    EXPECT_TRUE(StartsWithNoCase(L"anything", L""));
    EXPECT_FALSE(StartsWithNoCase(L"brw:/", L"brw://"));
    EXPECT_FALSE(StartsWithNoCase(L"brx://", L"brw://"));
    EXPECT_FALSE(StartsWithNoCase(nullptr, L"brw"));
    EXPECT_FALSE(StartsWithNoCase(L"brw", nullptr));
}

TEST(FormatText, KeepsTheWindowsMeaningOfPercentSAndGrows)
{
    EXPECT_EQ(L"wide narrow", FormatText(L"%s %S", L"wide", "narrow"));
    EXPECT_EQ(L"wide narrow", FormatText(L"%ls %hs", L"wide", "narrow"));
    EXPECT_EQ(L"-42 FFFFFFFF", FormatText(L"%ld %X", -42L, 0xFFFFFFFFu));
    const std::wstring longText(100000, L'x');
    EXPECT_EQ(L"<" + longText + L">", FormatText(L"<%s>", longText.c_str()));
    EXPECT_EQ(L"", FormatText(nullptr));
}

TEST(Utf8, RoundTripsAllPlanesAndReplacesIllFormedInput)
{
    const std::wstring wide = L"Gr\u00FC\u00DFe \u20AC \U0001D11E";
    const std::string utf8 = "Gr\xC3\xBC\xC3\x9F"
                             "e \xE2\x82\xAC \xF0\x9D\x84\x9E";
    EXPECT_EQ(utf8, WideToUtf8(wide));
    EXPECT_EQ(wide, Utf8ToWide(utf8));
    EXPECT_EQ(L"a\uFFFDb", Utf8ToWide("a\xFF"
                                      "b"));
    EXPECT_EQ(std::wstring(L"a\0b", 3), Utf8ToWide(std::string("a\0b", 3)));
    EXPECT_EQ(L"", Utf8ToWide(""));
}

TEST(DuplicateCoTaskMemString, CopiesOrNullsTheOutParameter)
{
    wchar_t* copy = reinterpret_cast<wchar_t*>(0xdeadbeef);
    ASSERT_EQ(S_OK, DuplicateCoTaskMemString(L"text", &copy));
    EXPECT_STREQ(L"text", copy);
    CoTaskMemFree(copy);

    copy = reinterpret_cast<wchar_t*>(0xdeadbeef);
    EXPECT_EQ(E_INVALIDARG, DuplicateCoTaskMemString(nullptr, &copy));
    EXPECT_EQ(nullptr, copy);
    EXPECT_EQ(E_POINTER, DuplicateCoTaskMemString(L"text", nullptr));
}

TEST(GuidToString, GivesRegistryForm)
{
    const GUID guid = {0xF7FD5BEC, 0x6B4C, 0x4C41, {0xBC, 0x6D, 0x31, 0x8E, 0x75, 0x67, 0xBC, 0xEB}};
    EXPECT_EQ(L"{F7FD5BEC-6B4C-4C41-BC6D-318E7567BCEB}", GuidToString(guid));
}

} // namespace
} // namespace brw
