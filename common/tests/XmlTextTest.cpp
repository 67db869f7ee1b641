// Attribute text of the documents we write: markup cannot be smuggled in,
// line breaks survive a parser, and what XML carries as it is arrives
// unchanged.
#include "common/XmlText.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using brw::XmlAttributeText;

TEST(XmlAttributeText, MarkupCharactersBecomeEntities)
{
    const struct {
        std::wstring text;
        std::wstring expected;
    } cases[] = {
        {L"&", L"&amp;"},
        {L"<", L"&lt;"},
        {L">", L"&gt;"},
        {L"\"", L"&quot;"},
        {L"'", L"&apos;"},
        {L"a&b<c>d\"e'f", L"a&amp;b&lt;c&gt;d&quot;e&apos;f"},
        // An entity in the input is text, not markup: it is escaped again.
        {L"&amp;", L"&amp;amp;"},
        {L"x\" injected=\"1", L"x&quot; injected=&quot;1"},
        {L"<<>>", L"&lt;&lt;&gt;&gt;"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.expected, XmlAttributeText(c.text)) << c.text;
    }
}

TEST(XmlAttributeText, LineBreaksAndTabsBecomeCharacterReferences)
{
    EXPECT_EQ(L"a&#13;&#10;b&#9;c", XmlAttributeText(L"a\r\nb\tc"));
    EXPECT_EQ(L"&#10;", XmlAttributeText(L"\n"));
}

TEST(XmlAttributeText, OtherControlCharactersStayAsTheyAre)
{
    // No XML 1.0 form exists for these; the reader refuses the document.
    const std::wstring controls{L'\x01', L'\x08', L'\x0B', L'\x0C', L'\x1F', L'\x7F'};
    EXPECT_EQ(controls, XmlAttributeText(controls));
    const std::wstring withNul(L"a\0b", 3);
    EXPECT_EQ(withNul, XmlAttributeText(withNul)) << "a NUL inside the text does not end it";
}

TEST(XmlAttributeText, SurrogatesPassUnchanged)
{
    const std::wstring pair = L"\xD83D\xDE00"; // U+1F600
    EXPECT_EQ(L"&amp;" + pair + L"&lt;", XmlAttributeText(L"&" + pair + L"<"));
    const std::wstring lone = L"\xD800x\xDC00";
    EXPECT_EQ(lone, XmlAttributeText(lone));
}

TEST(XmlAttributeText, PlainAndEmptyTextIsUnchanged)
{
    EXPECT_EQ(L"", XmlAttributeText(L""));
    EXPECT_EQ(L"", XmlAttributeText(std::wstring_view()));
    EXPECT_EQ(L"C:\\Notes\\Data\\mail\\\x00E9t\x00E9.nsf",
              XmlAttributeText(L"C:\\Notes\\Data\\mail\\\x00E9t\x00E9.nsf"));
    const std::wstring longText(100000, L'x');
    EXPECT_EQ(longText, XmlAttributeText(longText));
}

} // namespace
