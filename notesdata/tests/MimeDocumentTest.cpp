// get_document of Internet mail as Notes stores it: header fields as
// RFC822 text items, the message as MIME part items. The reply must carry
// the same fields a classic memo gives, and the body file the message
// text; damaged descriptors must give a reply, never a read past a value.
#include "notesdata/files/MimeRtfBody.h"
#include "notesdata/tests/DocumentFixture.h"
#include "notesdata/tests/MimeItemsDxl.h"

#include <notesapi.h>

#include <cstring>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

using brwtest::CommandResult;
using brwtest::RawItem;

using namespace brwtest::mimedxl;

std::string Note(const std::string& items)
{
    return "<document form='Memo'><noteinfo noteid='8f6'/><item name='Form'><text>Memo</text></item>" + items +
           "<item name='$NoteHasNativeMIME'><text>1</text></item></document>";
}

// The memo of a received mail: headers, then a plain and an HTML
// alternative spread over three part items.
std::string ReceivedMemo()
{
    return Header("Received", kText, "Received", "from mx.example.com by hub") +
           Header("SendTo", kAddress | kTextList, "To",
                  "\"Berg, Anna\" <anna@example.com>,\r\n =?iso-8859-1?Q?J=F6rg?= <joerg@example.de>") +
           Header("Subject", kText, "Subject", "=?UTF-8?B?UXVhcnRhbHN6YWhsZW4gw7xiZXJwcsO8ZnQ=?=") +
           Header("From", kAddress, "From", "=?utf-8?Q?Ren=C3=A9_Roux?= <rene@example.fr>") +
           Header("PostedDate", kDate, "Date", "Fri, 8 Aug 2014 13:18:33 -0400", Time(0x005F1504, 0x04257D2E)) +
           Part(kHasHeaders, "", "Content-Type: multipart/alternative; boundary=\"b1\"\r\n\r\n", "") +
           Part(kHasBoundary | kHasHeaders, "\r\n--b1\r\n",
                "Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n",
                "Die Zahlen sind gepr=C3=BCft.") +
           Part(kHasBoundary | kHasHeaders, "\r\n--b1\r\n", "Content-Type: text/html\r\n\r\n",
                "<p>Die Zahlen sind <b>gepr&uuml;ft</b>.</p>\r\n--b1--\r\n");
}

class MimeDocument : public brwtest::DocumentFixture {
protected:
    std::wstring BodyText(const std::wstring& more = L"")
    {
        const std::wstring path = NextBodyFile(L"txt");
        GetDocument(L"mime.nsf", L"8F6", more);
        const std::string bytes = brwtest::ReadFileBytes(path);
        if (bytes.size() < 2 || bytes.size() % 2 != 0) {
            return L"?";
        }
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        std::memcpy(text.data(), bytes.data() + 2, bytes.size() - 2);
        return text;
    }
};

bool Holds(const std::wstring& text, const std::wstring& part)
{
    return text.find(part) != std::wstring::npos;
}

TEST_F(MimeDocument, HeaderItemsGiveTheFieldsOfAClassicMemo)
{
    ImportDatabase(L"mime.nsf", Note(ReceivedMemo()));
    const CommandResult got = GetDocument(L"mime.nsf", L"8F6");
    EXPECT_EQ(0, got.result);
    EXPECT_TRUE(Holds(got.reply, L"<textfield><name>Subject</name><value>Quartalszahlen \u00FCberpr\u00FCft</value>"
                                 L"</textfield>"))
        << brw::WideToUtf8(got.reply);
    EXPECT_TRUE(Holds(got.reply, L"<textfield><name>From</name><value>Ren\u00E9 Roux &lt;rene@example.fr&gt;</value>"
                                 L"</textfield>"))
        << brw::WideToUtf8(got.reply);
    EXPECT_TRUE(Holds(got.reply, L"<textlistfield><name>SendTo</name><value>Berg, Anna &lt;anna@example.com&gt;</value>"
                                 L"<value>J\u00F6rg &lt;joerg@example.de&gt;</value></textlistfield>"))
        << brw::WideToUtf8(got.reply);
    EXPECT_TRUE(Holds(got.reply, L"<datefield><name>PostedDate</name><value>" +
                                     brwtest::ReplyTime(2014, 8, 8, 17, 18, 33) + L"</value></datefield>"))
        << brw::WideToUtf8(got.reply);
}

// Mail stored without the date's time value (or with a cleared one) still
// has its dates: the header text is read, zone and all; text that is no
// date gives none.
TEST_F(MimeDocument, ADateWithoutItsTimeValueIsReadFromItsText)
{
    ImportDatabase(L"mime.nsf", Note(Header("PostedDate", kDate, "Date", "Fri, 8 Aug 2014 13:18:33 EDT") +
                                     Header("DeliveredDate", kDate, "Date", "8 Aug 14 19:18 +0200 (CEST)", Time(0, 0)) +
                                     Header("$Expires", kDate, "Expires", "Fri, 31 Feb 2014 13:18:33 -0400")));
    const CommandResult got = GetDocument(L"mime.nsf", L"8F6");
    EXPECT_EQ(0, got.result);
    EXPECT_TRUE(Holds(got.reply, L"<datefield><name>PostedDate</name><value>" +
                                     brwtest::ReplyTime(2014, 8, 8, 17, 18, 33) + L"</value></datefield>"))
        << brw::WideToUtf8(got.reply);
    EXPECT_TRUE(Holds(got.reply, L"<datefield><name>DeliveredDate</name><value>" +
                                     brwtest::ReplyTime(2014, 8, 8, 17, 18, 0) + L"</value></datefield>"))
        << brw::WideToUtf8(got.reply);
    EXPECT_FALSE(Holds(got.reply, L"<name>$Expires</name>")) << brw::WideToUtf8(got.reply);
}

TEST_F(MimeDocument, OneRecipientWithoutTheListFlagIsAText)
{
    ImportDatabase(L"mime.nsf", Note(Header("CopyTo", kAddress, "Cc", "<solo@example.com>")));
    EXPECT_TRUE(Holds(GetDocument(L"mime.nsf", L"8F6").reply,
                      L"<textfield><name>CopyTo</name><value>&lt;solo@example.com&gt;</value></textfield>"));
}

TEST_F(MimeDocument, TheBodyFileHoldsThePlainTextAndNoMarkup)
{
    ImportDatabase(L"mime.nsf", Note(ReceivedMemo()));
    const std::wstring text = BodyText();
    EXPECT_TRUE(Holds(text, L"Die Zahlen sind gepr\u00FCft.")) << brw::WideToUtf8(text);
    EXPECT_TRUE(Holds(text, L"Quartalszahlen \u00FCberpr\u00FCft")) << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"<b>")) << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"gepr&uuml;ft")) << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"Content-Type")) << brw::WideToUtf8(text);
}

TEST_F(MimeDocument, AnHtmlOnlyMailGivesItsVisibleText)
{
    ImportDatabase(L"mime.nsf", Note(Part(kHasHeaders, "", "Content-Type: text/html; charset=iso-8859-1\r\n\r\n",
                                          "<html><style>p{color:red}</style><p>Gr&uuml;\xDF"
                                          "e <i>aus</i> Bonn</p>")));
    const std::wstring text = BodyText();
    EXPECT_TRUE(Holds(text, L"Gr\u00FC\u00DF"
                            L"e aus Bonn"))
        << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"color")) << brw::WideToUtf8(text);
}

// Notes keeps a large part's content in a file object of the note; the
// part item then holds its boundary, headers and the object's name.
std::string StoredPartsMemo()
{
    const std::string latin = "Gr\xFC\xDF"
                              "e aus dem Objekt";
    return Part(kHasHeaders, "", "Content-Type: multipart/mixed; boundary=\"s\"\r\n\r\n", "") +
           Part(kHasBoundary | kHasHeaders, "\r\n--s\r\n", "Content-Type: text/plain\r\n\r\n", "Short intro.") +
           Part(kHasBoundary | kHasHeaders | kBodyInObject, "\r\n--s\r\n",
                "Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n",
                "ATT0123.object") +
           Part(kHasBoundary | kHasHeaders | kBodyInObject, "\r\n--s\r\n",
                "Content-Type: text/plain\r\nContent-Disposition: attachment; filename=\"notes.txt\"\r\n\r\n",
                "ATT0124.object") +
           Part(kHasBoundary | kHasHeaders | kBodyInObject, "\r\n--s\r\n", "Content-Type: text/plain\r\n\r\n",
                "ATT0999.missing") +
           Part(0, "", "", "\r\n--s--\r\n") +
           "<item name='$FILE'><object><file flags='mime' encoding='quotedprintable' name='ATT0123.object'>"
           "<filedata>" +
           brwtest::Base64(latin) +
           "</filedata></file></object></item>"
           "<item name='$FILE'><object><file flags='mime' name='ATT0124.object'><filedata>" +
           brwtest::Base64("attached words") + "</filedata></file></object></item>";
}

TEST_F(MimeDocument, ATextPartKeptInAFileObjectIsReadAsText)
{
    ImportDatabase(L"mime.nsf", Note(StoredPartsMemo()));
    const std::wstring text = BodyText();
    EXPECT_TRUE(Holds(text, L"Short intro. Gr\u00FC\u00DF"
                            L"e aus dem Objekt"))
        << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"ATT0")) << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"attached words")) << brw::WideToUtf8(text);
    // The copy read back is gone: only the body file is left.
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(ReplyFile(L"*.part").c_str(), &found);
    EXPECT_EQ(INVALID_HANDLE_VALUE, search);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
    }
}

TEST_F(MimeDocument, ThePreviewShowsATextPartKeptInAFileObject)
{
    ImportDatabase(L"mime.nsf", Note(StoredPartsMemo()));
    const std::wstring path = NextBodyFile(L"rtf");
    const CommandResult got = GetDocument(L"mime.nsf", L"8F6", L"preview=\"true\"");
    EXPECT_EQ(path, brwtest::ElementText(got.reply, L"rtf"));
    const std::string rtf = brwtest::ReadFileBytes(path);
    EXPECT_NE(std::string::npos, rtf.find("Gr\\u252?\\u223?e aus dem Objekt")) << rtf;
}

// Without the object it names, a stored part gives no text and no failure.
TEST_F(MimeDocument, AStoredPartWithoutItsObjectGivesNoText)
{
    ImportDatabase(L"mime.nsf",
                   Note(Part(kHasHeaders | kBodyInObject, "", "Content-Type: text/plain\r\n\r\n", "ATT0123.object") +
                        "<item name='Keep'><text>still here</text></item>"));
    const std::wstring text = BodyText();
    EXPECT_TRUE(Holds(text, L"still here")) << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"ATT0123")) << brw::WideToUtf8(text);
}

// An export made with the MIME option holds the message as one <mime>
// element; imported, it is read like the items Notes keeps for it.
TEST_F(MimeDocument, AMessageImportedFromAMimeElementIsReadLikeItsItems)
{
    ImportDatabase(L"mime.nsf",
                   "<document form='Memo'><noteinfo noteid='8f6'/><mime><![CDATA["
                   "From: =?utf-8?Q?Ren=C3=A9_Roux?= <rene@example.fr>\r\nTo: a@example.com, b@example.com\r\n"
                   "Subject: =?iso-8859-1?Q?Gr=FC=DFe?=\r\nDate: Fri, 8 Aug 2014 13:18:33 -0400\r\n"
                   "Content-Type: multipart/alternative; boundary=\"z\"\r\n\r\n--z\r\n"
                   "Content-Type: text/plain\r\n\r\nPlain words <here>.\r\n--z\r\nContent-Type: text/html\r\n\r\n"
                   "<p>Markup</p>\r\n--z--\r\n]]></mime></document>");
    const CommandResult got = GetDocument(L"mime.nsf", L"8F6");
    EXPECT_EQ(0, got.result);
    EXPECT_TRUE(Holds(got.reply, L"<textfield><name>Subject</name><value>Gr\u00FC\u00DFe</value></textfield>"))
        << brw::WideToUtf8(got.reply);
    EXPECT_TRUE(Holds(got.reply, L"<textlistfield><name>SendTo</name><value>a@example.com</value>"
                                 L"<value>b@example.com</value></textlistfield>"))
        << brw::WideToUtf8(got.reply);
    EXPECT_TRUE(Holds(got.reply, L"<datefield><name>PostedDate</name><value>" +
                                     brwtest::ReplyTime(2014, 8, 8, 17, 18, 33) + L"</value></datefield>"))
        << brw::WideToUtf8(got.reply);
    const std::wstring text = BodyText();
    EXPECT_TRUE(Holds(text, L"Plain words <here>.")) << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"Markup")) << brw::WideToUtf8(text);
}

// Lengths that point past the value, values shorter than their descriptor:
// the field or part is left out and the rest of the note still comes.
TEST_F(MimeDocument, DamagedDescriptorsAreSkipped)
{
    std::string tooLong = HeaderValue(kText, "", "Subject", "short");
    tooLong[12] = '\x7F'; // body length far past the value
    std::string partTooLong = PartValue(kHasHeaders, 2, "", "", "text");
    partTooLong[8] = '\x7F';
    ImportDatabase(L"mime.nsf",
                   Note(RawItem("Subject", "502", tooLong) + RawItem("Tiny", "502", "\x0E") +
                        Header("PostedDate", kDate, "Date", "no time value") + RawItem("Body", "19", partTooLong) +
                        RawItem("Body", "19", "\x02") + "<item name='Keep'><text>still here</text></item>"));
    const CommandResult got = GetDocument(L"mime.nsf", L"8F6");
    EXPECT_EQ(0, got.result);
    EXPECT_FALSE(Holds(got.reply, L"<name>Subject</name>"));
    EXPECT_FALSE(Holds(got.reply, L"<name>PostedDate</name>"));
    EXPECT_TRUE(Holds(got.reply, L"<value>still here</value>"));
    EXPECT_TRUE(Holds(BodyText(), L"still here"));
}

// A mixed mail: text, then two files, the second binary and long enough
// to span many base64 lines.
std::string MixedMemo(const std::string& second)
{
    std::string encoded = brwtest::Base64(second);
    for (size_t at = 76; at < encoded.size(); at += 78) {
        encoded.insert(at, "\r\n");
    }
    return Part(kHasHeaders, "", "Content-Type: multipart/mixed; boundary=\"m\"\r\n\r\n", "") +
           Part(kHasBoundary | kHasHeaders, "\r\n--m\r\n", "Content-Type: text/plain\r\n\r\n", "See the files.") +
           Part(kHasBoundary | kHasHeaders, "\r\n--m\r\n",
                "Content-Type: text/csv; name=\"=?utf-8?Q?Zahlen_=C3=BC.csv?=\"\r\n"
                "Content-Disposition: attachment\r\n\r\n",
                "a;b\r\n1;2") +
           Part(kHasBoundary | kHasHeaders, "\r\n--m\r\n",
                "Content-Type: application/octet-stream; name=\"scan.final.PDF\"\r\n"
                "Content-Transfer-Encoding: base64\r\n\r\n",
                encoded + "\r\n--m--\r\n");
}

const std::string kSecondFile = std::string("%PDF\0\r\n\x1A\xFF", 9) + std::string(3000, '\x5A') + "end";

TEST_F(MimeDocument, MixedMailListsItsFilesAfterTheFileItems)
{
    ImportDatabase(L"mime.nsf",
                   Note(MixedMemo(kSecondFile) + "<item name='$FILE'><object><file name='old.txt'><filedata>" +
                        brwtest::Base64("classic") + "</filedata></file></object></item>"));
    const CommandResult got = GetDocument(L"mime.nsf", L"8F6");
    const std::wstring list = brwtest::ElementText(got.reply, L"attachments");
    const size_t classic = list.find(L"<originalfilename>old.txt</originalfilename>");
    const size_t first = list.find(L"<originalfilename>Zahlen \u00FC.csv</originalfilename>"
                                   L"<attachmentfilesize>8</attachmentfilesize>");
    const size_t second = list.find(L"<originalfilename>scan.final.PDF</originalfilename><attachmentfilesize>" +
                                    std::to_wstring(kSecondFile.size()) + L"</attachmentfilesize>");
    EXPECT_NE(std::wstring::npos, classic) << brw::WideToUtf8(got.reply);
    EXPECT_NE(std::wstring::npos, first) << brw::WideToUtf8(got.reply);
    EXPECT_NE(std::wstring::npos, second) << brw::WideToUtf8(got.reply);
    EXPECT_TRUE(classic < first && first < second) << brw::WideToUtf8(got.reply);
}

TEST_F(MimeDocument, AttnumExtractsAMimeFileByteForByte)
{
    ImportDatabase(L"mime.nsf", Note(MixedMemo(kSecondFile)));
    const CommandResult got = GetDocument(L"mime.nsf", L"8F6", L"attnum=\"2\"");
    EXPECT_EQ(0, got.result);
    const std::wstring path = brwtest::ElementText(got.reply, L"diskfilename");
    EXPECT_EQ(ReplyFile(std::wstring(brwtest::kDocumentReplica) + L"-8F6-1.PDF"), path);
    EXPECT_EQ(kSecondFile, brwtest::ReadFileBytes(path));
    EXPECT_TRUE(brwtest::IsReadOnly(path));

    const std::wstring first =
        brwtest::ElementText(GetDocument(L"mime.nsf", L"8F6", L"attnum=\"1\"").reply, L"diskfilename");
    EXPECT_EQ("a;b\r\n1;2", brwtest::ReadFileBytes(first));
    EXPECT_EQ(1, GetDocument(L"mime.nsf", L"8F6", L"attnum=\"3\"").result);
}

TEST_F(MimeDocument, TheFilesOfAMixedMailStayOutOfTheBodyText)
{
    ImportDatabase(L"mime.nsf", Note(MixedMemo(kSecondFile)));
    const std::wstring text = BodyText();
    EXPECT_TRUE(Holds(text, L"See the files.")) << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"a;b")) << brw::WideToUtf8(text);
    EXPECT_FALSE(Holds(text, L"ZZZ")) << brw::WideToUtf8(text);
}

TEST_F(MimeDocument, ThePreviewIsRtfOfTheTextHeadedBySubjectAndSender)
{
    ImportDatabase(L"mime.nsf", Note(ReceivedMemo()));
    const std::wstring path = NextBodyFile(L"rtf");
    const CommandResult got = GetDocument(L"mime.nsf", L"8F6", L"preview=\"true\"");
    EXPECT_EQ(path, brwtest::ElementText(got.reply, L"rtf"));
    const std::string rtf = brwtest::ReadFileBytes(path);
    EXPECT_EQ(0u, rtf.find("{\\rtf1")) << rtf;
    EXPECT_EQ('}', rtf.empty() ? '?' : rtf.back());
    EXPECT_NE(std::string::npos, rtf.find("{\\b Quartalszahlen \\u252?berpr\\u252?ft\\par\r\nRen\\u233? Roux")) << rtf;
    EXPECT_NE(std::string::npos, rtf.find("Die Zahlen sind gepr\\u252?ft.")) << rtf;
    EXPECT_EQ(std::string::npos, rtf.find("<b>")) << rtf;
    EXPECT_TRUE(brwtest::IsReadOnly(path));
}

// Notes of damaged mail, each its own note of one database: descriptors
// and entities cut, bytes overwritten, nesting a thousand deep, a header of
// 1 MB spread over many part items. Every request gives a document reply;
// the seed is fixed so that a failure can be replayed.
TEST_F(MimeDocument, RandomlyDamagedMailAlwaysGivesADocumentReply)
{
    std::mt19937 random(151208);
    std::string notes;
    std::vector<std::string> ids;
    std::string nested;
    for (int level = 0; level < 1000; ++level) {
        nested += "Content-Type: multipart/mixed; boundary=n" + std::to_string(level) + "\r\n\r\n--n" +
                  std::to_string(level) + "\r\n";
    }
    std::string hugeHeader;
    const std::string header = "Content-Type: text/plain; x=\"" + std::string(1024 * 1024, 'h') + "\"\r\n\r\nhi";
    for (size_t at = 0; at < header.size(); at += 60000) {
        hugeHeader += Part(at == 0 ? kHasHeaders : 0, "", "", header.substr(at, 60000));
    }
    for (int note = 0; note < 60; ++note) {
        std::string items;
        if (note == 0) {
            items = Part(kHasHeaders, "", "", nested + "\r\ndeep");
        } else if (note == 1) {
            items = hugeHeader;
        } else {
            std::string values[] = {
                HeaderValue(kAddress | kTextList, "", "To", "\"A, B\" <a@b>, =?utf-8?B?w7w=?= <c@d>"),
                HeaderValue(kDate, Time(0x005F1504, 0x04257D2E), "Date", "x"),
                PartValue(kHasHeaders, 2, "", "Content-Type: multipart/mixed; boundary=q\r\n\r\n", ""),
                PartValue(kHasBoundary | kHasHeaders, 2, "\r\n--q\r\n",
                          "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment\r\n\r\n",
                          "!!@@garbage" + brwtest::Base64(std::string(300, 'z'))),
                PartValue(0, 2, "", "", "\r\n--q--\r\n")};
            for (std::string& value : values) {
                for (unsigned hit = random() % 4; hit > 0 && !value.empty(); --hit) {
                    const size_t at = random() % value.size();
                    if (random() % 3 == 0) {
                        value.resize(at);
                    } else {
                        value[at] = static_cast<char>(random() & 0xFF);
                    }
                }
            }
            items = RawItem("SendTo", "502", values[0]) + RawItem("PostedDate", "502", values[1]);
            for (size_t part = 2; part < std::size(values); ++part) {
                items += RawItem("Body", "19", values[part]);
            }
        }
        const std::string id = brw::WideToUtf8(brw::FormatText(L"%x", 0x900 + 4 * note));
        ids.push_back(id);
        notes += "<document><noteinfo noteid='" + id + "'/>" + items + "</document>";
    }
    ImportDatabase(L"mime.nsf", notes);
    for (const std::string& id : ids) {
        for (const wchar_t* more : {L"", L"attnum=\"1\"", L"preview=\"true\""}) {
            const CommandResult got = GetDocument(L"mime.nsf", brw::Utf8ToWide(id), more);
            if (std::wstring(more).empty()) {
                EXPECT_EQ(0, got.result) << id;
                EXPECT_EQ(0u, got.reply.find(L"<document>")) << id << " " << brw::WideToUtf8(got.reply);
            } else {
                EXPECT_TRUE(got.result == 0 || got.result == 1) << id;
            }
        }
    }
}

TEST(MimeRtf, RtfMarksAndCharactersBeyondAsciiAreEscaped)
{
    EXPECT_EQ("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 "
              "{\\b a\\{b\\}}\\par\r\n\\par\r\n"
              "x\\\\y\\par\r\n\\u-1?\\u1046?\\tab z}",
              brw::RtfOfText(L"a{b}", L"x\\y\r\n\uFFFF\u0416\tz\x01"));
    EXPECT_EQ("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 }",
              brw::RtfOfText(L"", L""));
}

} // namespace
