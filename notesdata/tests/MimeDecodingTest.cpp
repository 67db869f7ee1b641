// The decoders of mail text: transfer encodings, charsets, encoded words,
// address lists and HTML, at their edges and with broken input.
#include "notesdata/mime/Charsets.h"
#include "notesdata/mime/HeaderText.h"
#include "notesdata/mime/HtmlText.h"
#include "notesdata/mime/TransferEncoding.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

using brw::mime::QuotedPrintableUse;

TEST(TransferEncoding, Base64SkipsLineBreaksAndGarbageAndStopsAtPadding)
{
    EXPECT_EQ("Hello, world", brw::mime::DecodeBase64("SGVsbG8s\r\nIHdv cmxk"));
    EXPECT_EQ("Hi", brw::mime::DecodeBase64("SGk=ignored"));
    EXPECT_EQ("Hi", brw::mime::DecodeBase64("S*G!k\x01\xFF"));
    EXPECT_EQ("", brw::mime::DecodeBase64("===="));
    // A lone trailing digit holds fewer than 8 bits: no byte from it.
    EXPECT_EQ("Hi1", brw::mime::DecodeBase64("SGkxx"));
}

TEST(TransferEncoding, QuotedPrintableDecodesEscapesAndJoinsSoftBreaks)
{
    EXPECT_EQ("caf\xC3\xA9 au lait",
              brw::mime::DecodeQuotedPrintable("caf=C3=A9 au =\r\nlait", QuotedPrintableUse::Body));
    EXPECT_EQ("ab", brw::mime::DecodeQuotedPrintable("a=  \nb", QuotedPrintableUse::Body));
    EXPECT_EQ("a_b", brw::mime::DecodeQuotedPrintable("a_b", QuotedPrintableUse::Body));
    EXPECT_EQ("a b", brw::mime::DecodeQuotedPrintable("a_b", QuotedPrintableUse::EncodedWord));
}

TEST(TransferEncoding, QuotedPrintableKeepsBrokenEscapesAndNeverReadsPastTheEnd)
{
    EXPECT_EQ("=G1", brw::mime::DecodeQuotedPrintable("=G1", QuotedPrintableUse::Body));
    EXPECT_EQ("x=4", brw::mime::DecodeQuotedPrintable("x=4", QuotedPrintableUse::Body));
    EXPECT_EQ("x", brw::mime::DecodeQuotedPrintable("x=", QuotedPrintableUse::Body));
    // The view ends before the digits that follow it in memory.
    const std::string backing = "y=41";
    EXPECT_EQ("y=4", brw::mime::DecodeQuotedPrintable(std::string_view(backing.data(), 3), QuotedPrintableUse::Body));
}

TEST(TransferEncoding, OnlyTheTwoEncodingsAreDecodedWhateverTheirCase)
{
    EXPECT_EQ("Hi", brw::mime::DecodeTransfer("SGk=", " BASE64 "));
    EXPECT_EQ("=", brw::mime::DecodeTransfer("=3D", "Quoted-Printable"));
    EXPECT_EQ("SGk=", brw::mime::DecodeTransfer("SGk=", "8bit"));
    EXPECT_EQ("=3D", brw::mime::DecodeTransfer("=3D", ""));
}

TEST(Charsets, NamedCharsetsDecodeAndUnknownOnesFallBack)
{
    EXPECT_EQ(L"\u00E9t\u00E9", brw::mime::DecodeCharset("\xE9t\xE9", "ISO-8859-1"));
    EXPECT_EQ(L"\u00E9t\u00E9", brw::mime::DecodeCharset("\xC3\xA9t\xC3\xA9", "utf-8"));
    EXPECT_EQ(L"\u0416", brw::mime::DecodeCharset("\xF6", "koi8-r"));
    // No or an unknown charset: UTF-8 when it is valid, else Windows-1252.
    EXPECT_EQ(L"\u00E9", brw::mime::DecodeCharset("\xC3\xA9", "x-unknown"));
    EXPECT_EQ(L"\u20AC1", brw::mime::DecodeCharset("\x80"
                                                   "1",
                                                   ""));
    EXPECT_EQ(L"", brw::mime::DecodeCharset("", "utf-8"));
    EXPECT_EQ(0u, brw::mime::CodePageOfCharset("utf-8x"));
    EXPECT_EQ(0u, brw::mime::CodePageOfCharset("utf"));
}

TEST(HeaderText, EncodedWordsInBothEncodingsAndCharsetsDecode)
{
    EXPECT_EQ(L"Gr\u00FC\u00DFe aus K\u00F6ln",
              brw::mime::DecodeHeaderText("=?UTF-8?B?R3LDvMOfZQ==?= aus =?iso-8859-1?Q?K=F6ln?="));
    EXPECT_EQ(L"Caf\u00E9 Men\u00FC", brw::mime::DecodeHeaderText("=?utf-8?q?Caf=C3=A9_Men=C3=BC?="));
    // Adjacent encoded words join without the blanks between them.
    EXPECT_EQ(L"\u00E9\u00E9", brw::mime::DecodeHeaderText("=?utf-8?Q?=C3=A9?=  \r\n =?utf-8?Q?=C3=A9?="));
    // A language tag after the charset is ignored.
    EXPECT_EQ(L"\u00E9", brw::mime::DecodeHeaderText("=?ISO-8859-1*fr?Q?=E9?="));
}

TEST(HeaderText, MalformedEncodedWordsStayAsWritten)
{
    EXPECT_EQ(L"=?utf-8?X?abc?=", brw::mime::DecodeHeaderText("=?utf-8?X?abc?="));
    EXPECT_EQ(L"=?utf-8?Q?no end", brw::mime::DecodeHeaderText("=?utf-8?Q?no end"));
    EXPECT_EQ(L"=?", brw::mime::DecodeHeaderText("=?"));
    EXPECT_EQ(L"=?utf-8?", brw::mime::DecodeHeaderText("=?utf-8?"));
    EXPECT_EQ(L"a b", brw::mime::DecodeHeaderText("a\r\n b"));
}

TEST(HeaderText, AddressListsSplitOnlyAtCommasOutsideQuotesAndBrackets)
{
    const std::vector<std::wstring> expected = {L"Berg, Anna <anna@example.com>", L"bob@example.com",
                                                L"J\u00F6rg M\u00FCller <jm@example.de>", L"<odd,one@example.com>"};
    EXPECT_EQ(expected, brw::mime::SplitAddresses("\"Berg, Anna\" <anna@example.com>, bob@example.com,,\r\n "
                                                  "=?iso-8859-1?Q?J=F6rg_M=FCller?= <jm@example.de>, "
                                                  "<odd,one@example.com>"));
    EXPECT_EQ(std::vector<std::wstring>{}, brw::mime::SplitAddresses(" , ,"));
    // An unclosed quote runs to the end without reading past it.
    EXPECT_EQ(std::vector<std::wstring>{L"Open, quote \\"}, brw::mime::SplitAddresses("\"Open, quote \\"));
}

// Runs of blanks as one, none at either end: where blocks put blanks is
// not the point.
std::wstring Squeezed(const std::wstring& text)
{
    std::wstring squeezed;
    for (wchar_t c : text) {
        if (c != L' ' || (!squeezed.empty() && squeezed.back() != L' ')) {
            squeezed += c;
        }
    }
    if (!squeezed.empty() && squeezed.back() == L' ') {
        squeezed.pop_back();
    }
    return squeezed;
}

TEST(HtmlText, MarkupScriptsAndCommentsGoAndReferencesResolve)
{
    EXPECT_EQ(L"Hello World \u00E9 & <x> \u20AC",
              Squeezed(brw::mime::VisibleTextOfHtml(L"<html><head><title>T</title><style>p{}</style></head><body>"
                                                    L"<p>Hello <b>W</b>orld</p><script>var a='<p>';</script><!-- c -->"
                                                    L"<div>&eacute; &amp; &lt;x&gt; &#x20AC;</div></body>")));
    // Block elements keep words apart, inline ones do not.
    EXPECT_EQ(L"one two", Squeezed(brw::mime::VisibleTextOfHtml(L"one<br>two")));
    EXPECT_EQ(L"&bogus; &#0; &", brw::mime::VisibleTextOfHtml(L"&bogus; &#0; &"));
    EXPECT_EQ(L"a", brw::mime::VisibleTextOfHtml(L"a<script>never closed"));
    EXPECT_EQ(L"a", brw::mime::VisibleTextOfHtml(L"a<!-- never closed"));
    EXPECT_EQ(L"a", brw::mime::VisibleTextOfHtml(L"a<b"));
}

} // namespace

namespace {

// The listed size of a base64 file is counted, not decoded: for every
// length around the counting blocks, with line breaks, garbage and an '='
// anywhere, it is the length of what extraction decodes.
TEST(TransferEncoding, TheCountedBase64SizeIsTheDecodedSize)
{
    std::mt19937 random(4096);
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/\r\n \t!*=\x80\xFF";
    for (size_t length = 0; length < 300; ++length) {
        for (int round = 0; round < 4; ++round) {
            std::string body(length, 'Q');
            for (char& c : body) {
                c = random() % 8 == 0 ? alphabet[random() % alphabet.size()] : alphabet[random() % 64];
            }
            EXPECT_EQ(brw::mime::DecodeTransfer(body, "base64").size(), brw::mime::DecodedSize(body, " Base64 "))
                << length << ": " << body;
        }
    }
}

} // namespace
