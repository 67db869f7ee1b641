// The body file of a get_document reply: the UTF-16 text of a document for
// the indexer, and the RTF rendering for the preview pane.
#include "notesdata/commands/NotesDataService.h"
#include "notesdata/files/RtfExporter.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/NoteDocument.h"
#include "notesdata/notes/NoteItems.h"
#include "notesdata/notes/RichTextField.h"
#include "notesdata/tests/DocumentFixture.h"

#include <notesapi.h>

#include <algorithm>
#include <cstring>

namespace {

using brwtest::CommandResult;
using brwtest::kDocumentReplica;

std::string Note(const std::string& items)
{
    return "<document><noteinfo noteid='8f6'/>" + items + "</document>";
}

std::string RichText(const std::string& name, const std::string& text)
{
    return "<item name='" + name + "'><richtext><par>" + text + "</par></richtext></item>";
}

// The file's UTF-16 text after its byte-order mark; "?" first when the mark
// is missing.
std::wstring BodyText(const std::wstring& path)
{
    const std::string bytes = brwtest::ReadFileBytes(path);
    if (bytes.size() < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0 || bytes.size() % 2 != 0) {
        return L"?";
    }
    std::wstring text((bytes.size() - 2) / 2, L'\0');
    std::memcpy(text.data(), bytes.data() + 2, bytes.size() - 2);
    return text;
}

bool WriteBytesAt(const std::wstring& path, const std::string& bytes)
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

std::wstring WithoutBlanks(std::wstring text)
{
    text.erase(std::remove(text.begin(), text.end(), L' '), text.end());
    return text;
}

// Where two texts first differ (npos when equal), so that a failure of a
// long text reports a place rather than the whole text.
size_t FirstDifference(const std::wstring& expected, const std::wstring& actual)
{
    const auto [at, other] = std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end());
    return at == expected.end() && other == actual.end() ? std::wstring::npos
                                                         : static_cast<size_t>(at - expected.begin());
}

class DocumentBody : public brwtest::DocumentFixture {
protected:
    // The rtf element of a request for the document; empty without one.
    std::wstring BodyOf(const std::wstring& database, const std::wstring& more = L"")
    {
        const CommandResult got = GetDocument(database, L"8F6", more);
        EXPECT_EQ(0, got.result);
        return brwtest::ElementText(got.reply, L"rtf");
    }
};

TEST_F(DocumentBody, ADocumentOfNumbersGivesTheMarkAndOneBlankPerItem)
{
    ImportDatabase(L"numbers.nsf", Note("<item name='A'><number>1</number></item><item name='B'><number>2</number>"
                                        "</item><item name='C'><number>3.5</number></item>"));
    const std::wstring expected = NextBodyFile(L"txt");
    const std::wstring path = BodyOf(L"numbers.nsf");
    EXPECT_EQ(path, expected);
    EXPECT_EQ(std::string("\xFF\xFE \0 \0 \0", 8), brwtest::ReadFileBytes(path));
    EXPECT_TRUE(brwtest::IsReadOnly(path));
}

TEST_F(DocumentBody, TextsListsAndRichTextFollowInItemOrder)
{
    ImportDatabase(L"memo.nsf",
                   Note(brwtest::RawItem("Count", "0300", std::string(8, '\0')) +
                        "<item name='Subject'><text>Budget</text></item>" + RichText("Body", "Plan for 1995") +
                        "<item name='Tags'><textlist><text>red</text><text>blue</text></textlist>"
                        "</item>"));
    const std::wstring text = BodyText(BodyOf(L"memo.nsf"));
    const size_t subject = text.find(L"Budget");
    const size_t body = text.find(L"Plan for 1995");
    const size_t tags = text.find(L"red blue");
    EXPECT_EQ(1u, subject) << "a blank for the number first";
    ASSERT_NE(std::wstring::npos, body);
    ASSERT_NE(std::wstring::npos, tags);
    EXPECT_LT(subject, body);
    EXPECT_LT(body, tags);
    EXPECT_EQ(L' ', text.back());
}

TEST_F(DocumentBody, AStoredLineBreakIsOneBlankAndNoNulReachesTheFile)
{
    ImportDatabase(L"breaks.nsf",
                   Note("<item name='Subject'><text>Line one<break/>line two</text></item>"
                        "<item name='Address'><textlist><text>Main St<break/>Springfield</text><text>x</text>"
                        "</textlist></item>"
                        "<item name='After'><text>still here</text></item>"));
    const std::wstring text = BodyText(BodyOf(L"breaks.nsf"));
    EXPECT_EQ(text.find(L'\0'), std::wstring::npos);
    EXPECT_EQ(L"Line one line two Main St Springfield x still here ", text);
}

TEST_F(DocumentBody, ItemsOfOneNameEachGiveTheirOwnText)
{
    ImportDatabase(L"parts.nsf", Note(RichText("Body", "first part") + RichText("Body", "second part") +
                                      "<item name='Tags'><textlist><text>red</text></textlist></item>"
                                      "<item name='Tags'><textlist><text>blue</text></textlist></item>"));
    const std::wstring text = BodyText(BodyOf(L"parts.nsf"));
    const size_t first = text.find(L"first part");
    const size_t second = text.find(L"second part");
    ASSERT_NE(first, std::wstring::npos);
    ASSERT_NE(second, std::wstring::npos);
    EXPECT_LT(first, second);
    EXPECT_EQ(1u, brwtest::CountOf(text, L"red"));
    EXPECT_LT(text.find(L"red"), text.find(L"blue"));
}

TEST_F(DocumentBody, A50000ByteRichTextArrivesWhole)
{
    std::string text;
    for (int i = 0; i < 50000; ++i) {
        text += static_cast<char>('a' + (i * 7 + i / 26) % 26);
    }
    ImportDatabase(L"long.nsf", Note(RichText("Body", text)));
    EXPECT_EQ(std::wstring::npos,
              FirstDifference(std::wstring(text.begin(), text.end()), WithoutBlanks(BodyText(BodyOf(L"long.nsf")))));
}

TEST_F(DocumentBody, CharactersWithALineFeedByteArriveUnchanged)
{
    // U+010A is 0A 01 in UTF-16 and three bytes in Notes text, so the long
    // text has pieces that must end between characters, not inside one.
    std::string text = "a";
    for (int i = 0; i < 20000; ++i) {
        text += "&#x10A;";
    }
    ImportDatabase(L"dotted.nsf", Note("<item name='Subject'><text>&#x10A;</text></item>" + RichText("Body", text)));
    const CommandResult got = GetDocument(L"dotted.nsf", L"8F6");
    EXPECT_NE(std::wstring::npos, got.reply.find(L"<value>\u010A</value>"));
    EXPECT_EQ(std::wstring::npos, FirstDifference(L"\u010Aa" + std::wstring(20000, L'\u010A'),
                                                  WithoutBlanks(BodyText(brwtest::ElementText(got.reply, L"rtf")))));
}

// A filter may still read the first body while the indexer asks again.
TEST_F(DocumentBody, TwoRequestsForOneNoteNeverShareABodyFile)
{
    ImportDatabase(L"memo.nsf", Note("<item name='Subject'><text>First</text></item>"));
    const std::wstring first = BodyOf(L"memo.nsf");
    EXPECT_TRUE(brwtest::IsReadOnly(first));
    brw::FileHandle reader(
        CreateFileW(first.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    Notesdb(L"modify " + brwtest::Quoted(DataPath(L"memo.nsf")) + L" 8F6 --text Subject=Second");
    const std::wstring second = BodyOf(L"memo.nsf");
    ASSERT_NE(L"", second);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.substr(0, first.rfind(L'\\')), second.substr(0, second.rfind(L'\\'))) << "in the same folder";
    EXPECT_NE(BodyText(first).find(L"First"), std::wstring::npos) << "the first is left as it was read";
    EXPECT_NE(BodyText(second).find(L"Second"), std::wstring::npos);
    EXPECT_TRUE(brwtest::IsReadOnly(second));
    const std::wstring preview = BodyOf(L"memo.nsf", L"preview=\"true\"");
    EXPECT_NE(preview, BodyOf(L"memo.nsf", L"preview=\"true\""));
}

TEST_F(DocumentBody, ABodyLeftByAnEarlierProcessIsReplaced)
{
    ImportDatabase(L"memo.nsf", Note("<item name='Subject'><text>Budget</text></item>"));
    BodyOf(L"memo.nsf"); // makes the folder
    const std::wstring stale = NextBodyFile(L"txt");
    ASSERT_TRUE(WriteBytesAt(stale, "stale"));
    ASSERT_TRUE(brw::MarkFileFinished(stale));
    EXPECT_EQ(BodyOf(L"memo.nsf"), stale);
    EXPECT_NE(BodyText(stale).find(L"Budget"), std::wstring::npos);
    EXPECT_TRUE(brwtest::IsReadOnly(stale));
}

TEST_F(DocumentBody, ABodyThatCannotBeWrittenLeavesTheRestOfTheReply)
{
    ImportDatabase(L"memo.nsf", Note("<item name='Subject'><text>Budget</text></item>"));
    BodyOf(L"memo.nsf", L"attnum=\"0\""); // makes the folder
    const std::wstring blocked = NextBodyFile(L"txt");
    ASSERT_TRUE(CreateDirectoryW(blocked.c_str(), nullptr));
    const CommandResult got = GetDocument(L"memo.nsf", L"8F6");
    EXPECT_EQ(0, got.result);
    EXPECT_EQ(std::wstring::npos, got.reply.find(L"<rtf>"));
    EXPECT_NE(std::wstring::npos, got.reply.find(L"<value>Budget</value>"));
    EXPECT_NE(std::wstring::npos, got.reply.find(L"<notesize>8</notesize>"));
    RemoveDirectoryW(blocked.c_str());
}

TEST_F(DocumentBody, ThePreviewIsAReadOnlyRtfFileAndNothingElseStays)
{
    ImportDatabase(L"memo.nsf",
                   Note("<item name='Subject'><text>Budget</text></item>" + RichText("Body", "Plan for 1995")));
    const std::wstring expected = NextBodyFile(L"rtf");
    const std::wstring path = BodyOf(L"memo.nsf", L"preview=\"true\"");
    EXPECT_EQ(path, expected);
    const std::string rtf = brwtest::ReadFileBytes(path);
    EXPECT_EQ(0u, rtf.find("{\\rtf"));
    EXPECT_NE(std::string::npos, rtf.find("Budget"));
    EXPECT_NE(std::string::npos, rtf.find("Plan for 1995"));
    EXPECT_TRUE(brwtest::IsReadOnly(path));
    EXPECT_EQ(1u, brwtest::FileCount(ReplyFolder())) << "the record file is deleted";
}

TEST_F(DocumentBody, APreviewIsWrittenWhileAnotherServiceComesAndGoes)
{
    ImportDatabase(L"memo.nsf", Note(RichText("Body", "Plan for 1995")));
    auto* other = new brw::NotesDataService();
    other->AddRef();
    EXPECT_EQ(0u, other->Release());
    const std::string rtf = brwtest::ReadFileBytes(BodyOf(L"memo.nsf", L"preview=\"true\""));
    EXPECT_EQ(0u, rtf.find("{\\rtf"));
    EXPECT_NE(rtf.find("Plan for 1995"), std::string::npos);
}

TEST_F(DocumentBody, ThePreviewRendersWithTheRegisteredForm)
{
    ImportDatabase(L"memo.nsf", Note("<item name='Form'><text>Memo</text></item>"
                                     "<item name='Subject'><text>Budget</text></item>"
                                     "<item name='Internal'><text>hidden words</text></item>"));
    const std::string own = brwtest::ReadFileBytes(BodyOf(L"memo.nsf", L"preview=\"true\""));
    EXPECT_NE(std::string::npos, own.find("hidden words"));
    NewDatabase(L"brwregister.nsf");
    AddNote(L"brwregister.nsf", L"--design Memo --class 4 --textlist $Fields=Subject");
    const std::string registered = brwtest::ReadFileBytes(BodyOf(L"memo.nsf", L"preview=\"true\""));
    EXPECT_NE(std::string::npos, registered.find("Budget"));
    EXPECT_EQ(std::string::npos, registered.find("hidden words"));
    EXPECT_NE(std::wstring::npos, GetDocument(L"memo.nsf", L"8F6").reply.find(L"<value>hidden words</value>"))
        << "the document is back in its own database";
}

TEST_F(DocumentBody, AnRtfPreviewIsNotWrittenUnderARefusedTempDir)
{
    ImportDatabase(L"memo.nsf", Note("<item name='Subject'><text>Budget</text></item>"));
    const CommandResult got = Run(L"<get_document db=\"memo.nsf\" tempdir=\"temp\" id=\"8F6\" preview=\"true\"/>");
    EXPECT_EQ(0, got.result);
    EXPECT_EQ(std::wstring::npos, got.reply.find(L"<rtf>"));
}

TEST(RtfExporter, TheConverterIsLoadedFromTheFirstToTheLastReference)
{
    ASSERT_EQ(nullptr, GetModuleHandleW(L"nxrtf.dll")) << "no service of an earlier case lives";
    {
        brw::RtfExporterReference first;
        {
            brw::RtfExporterReference second;
            EXPECT_NE(nullptr, brw::RtfExporterEntry());
        }
        EXPECT_NE(nullptr, brw::RtfExporterEntry());
        EXPECT_NE(nullptr, GetModuleHandleW(L"nxrtf.dll"));
    }
    EXPECT_EQ(nullptr, brw::RtfExporterEntry());
    EXPECT_EQ(nullptr, GetModuleHandleW(L"nxrtf.dll"));
}

// Records as the tool cannot write them: an image and a bitmap between text.
std::string Records(bool withPictures)
{
    const std::string paragraph("\x81\x02", 2);
    const std::string text("\x85\xFF\x0C\x00\x00\x00\x00\x0A"
                           "Hi!!",
                           12);
    const std::string image("\x7D\x00\x0A\x00\x00\x00"
                            "head",
                            10);
    const std::string bitmap("\x88\xFF\x06\x00"
                             "bm",
                             6);
    return withPictures ? paragraph + image + text + bitmap + paragraph + text : paragraph + text + paragraph + text;
}

TEST_F(DocumentBody, TheFilterCopiesEveryRecordButPictures)
{
    ImportDatabase(L"pictures.nsf", Note(brwtest::RawItem("Body", "0001", Records(true))));
    brw::Db db;
    ASSERT_TRUE(db.OpenByPath(brw::WideToUtf8(DataPath(L"pictures.nsf"))));
    brw::NoteDocument document(db);
    ASSERT_TRUE(document.Open(0x8F6));
    brw::NoteItem body{};
    ASSERT_EQ(NOERROR_STATUS,
              NSFItemInfo(document.Handle(), "Body", 4, &body.item, &body.type, &body.value, &body.length));
    NOTEHANDLE created = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFNoteCreate(db.Handle(), &created));
    const brw::NoteHandle scratch(created);
    brw::RichTextField target(scratch.get());
    ASSERT_EQ(NOERROR_STATUS, target.BeginBuilding("Filtered"));
    brw::RichTextFilter filter(target);
    EXPECT_EQ(NOERROR_STATUS, brw::RichTextField(document.Handle(), body).EnumerateRecords(filter));
    ASSERT_EQ(NOERROR_STATUS, target.FinishBuilding());
    brw::NoteItem filtered{};
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(scratch.get(), "Filtered", 8, &filtered.item, &filtered.type, &filtered.value,
                                          &filtered.length));
    const brw::LockedValue value(filtered.value);
    ASSERT_NE(nullptr, value.Data());
    EXPECT_EQ(std::string("\x01\x00", 2) + Records(false), std::string(value.Data(), filtered.length));
}

} // namespace
