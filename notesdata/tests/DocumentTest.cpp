// get_document replies: which note a request names, the fields written and
// skipped, the attachments listed or extracted, and requests and document
// contents that try to reach past what they should.
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/tests/DocumentFixture.h"

#include <notesapi.h>

#include <cstring>
#include <iterator>
#include <utility>
#include <vector>

namespace {

using brwtest::CommandResult;
using brwtest::kDocumentReplica;

constexpr char kRevised[] = "19950506T110000,00+00";
constexpr char kFileModified[] = "19950505T093000,00+00";

std::string Note(const std::string& items, const char* id = "8f6")
{
    return std::string("<document><noteinfo noteid='") + id + "'><revised><datetime>" + kRevised +
           "</datetime></revised></noteinfo>" + items + "</document>";
}

std::string Text(const std::string& name, const std::string& value)
{
    return "<item name='" + name + "'><text>" + value + "</text></item>";
}

std::string File(const std::string& name, const std::string& bytes)
{
    return "<item name='$FILE'><object><file name='" + name + "'><modified><datetime>" + kFileModified +
           "</datetime></modified><filedata>" + brwtest::Base64(bytes) + "</filedata></file></object></item>";
}

// A rich-text body whose file hotspots show these names for stored ones.
std::string BodyShowing(const std::vector<std::pair<std::string, std::string>>& shown)
{
    std::string refs;
    for (const auto& [stored, displayed] : shown) {
        refs += "<attachmentref name='" + stored + "' displayname='" + displayed + "'/>";
    }
    return "<item name='Body'><richtext><par>" + refs + "</par></richtext></item>";
}

std::wstring Hex(unsigned long id)
{
    return brw::FormatText(L"%lX", id);
}

class Document : public brwtest::DocumentFixture {
protected:
    std::wstring AttachmentFile(DWORD index, const std::wstring& extension) const
    {
        return ReplyFile(std::wstring(kDocumentReplica) + brw::FormatText(L"-8F6-%X.", index) + extension);
    }

    void ImportTwoAttachments()
    {
        ImportDatabase(L"att.nsf", Note(BodyShowing({{"ATT1", "notes.txt"}, {"ATT2", "report.final.PDF"}}) +
                                        File("ATT1", "first") + File("ATT2", secondBytes_)));
    }

    const std::string secondBytes_ = std::string("second\0\r\n\x1A\xFF", 11) + std::string(70000, '\x5A');
};

TEST_F(Document, AMemoWithRecipientsAndAnAttachmentGivesTheWholeReply)
{
    ImportDatabase(L"mail\\memo.nsf",
                   Note(Text("Subject", "Budget") +
                        "<item name='SendTo'><textlist><text>Ann</text><text>Bob</text></textlist></item>" +
                        File("plan.xls", std::string(20480, 'p'))));
    const std::wstring body = NextBodyFile(L"txt");
    const CommandResult got = GetDocument(L"mail\\memo.nsf", L"8F6");
    // Every value with its type word: the text; the list's count, two
    // lengths and texts; the file object and its name.
    const long noteSize = (2 + 6) + (2 + 2 + 2 * 2 + 3 + 3) + (2 + sizeof(FILEOBJECT) + 8);
    const std::wstring expected =
        L"<document><datefield><name>$ModifiedTime</name><value>" + brwtest::ReplyTime(1995, 5, 6, 11, 0, 0) +
        L"</value></datefield><textfield><name>Subject</name><value>Budget</value></textfield>"
        L"<textlistfield><name>SendTo</name><value>Ann</value><value>Bob</value></textlistfield>"
        L"<rtf>" +
        body +
        L"</rtf>"
        L"<attachments><attachment><originalfilename>plan.xls</originalfilename>"
        L"<attachmentfilesize>20480</attachmentfilesize><attachmentmodifiedtime><name>attachmentmodifiedtime</name>"
        L"<value>" +
        brwtest::ReplyTime(1995, 5, 5, 9, 30, 0) +
        L"</value></attachmentmodifiedtime></attachment>"
        L"</attachments><notesize>" +
        std::to_wstring(noteSize) + L"</notesize></document>";
    EXPECT_EQ(0, got.result);
    EXPECT_EQ(expected, got.reply);
}

TEST_F(Document, IdsThatNameNoReadableDocumentGiveDeletedoc)
{
    ImportDatabase(L"memo.nsf", Note(Text("Subject", "kept")));
    const unsigned long gone = AddNote(L"memo.nsf", L"--text Subject=gone");
    Notesdb(L"delete " + brwtest::Quoted(DataPath(L"memo.nsf")) + L" " + Hex(gone));
    const unsigned long sealed = AddNote(L"memo.nsf", L"--encrypted --text Subject=sealed");
    const std::wstring ids[] = {
        L"id=\"0\"",
        L"id=\"" + Hex(gone) + L"\"",
        L"id=\"" + Hex(sealed) + L"\"",
        L"",
        L"id=\"\"",
        L"id=\"1000008F6\"", // 8F6 only if the number wrapped
        L"id=\"800008F6\"",  // the deletion bit
        L"id=\"FFFFFFFFFFFF\"",
        L"id=\"-8F6\"",
        L"id=\"0x8F6\"",
        L"id=\" 8F6\"",
    };
    for (const std::wstring& id : ids) {
        const CommandResult got = Run(L"<get_document db=\"memo.nsf\" " + id + L" attnum=\"1\"/>");
        EXPECT_EQ(0, got.result) << brw::WideToUtf8(id);
        EXPECT_EQ(L"<deletedoc/>", got.reply) << brw::WideToUtf8(id);
    }
    for (const wchar_t* id : {L"8F6", L"8f6", L"08F6", L"8F6zz"}) {
        EXPECT_NE(std::wstring::npos, GetDocument(L"memo.nsf", id).reply.find(L"<value>kept</value>"))
            << brw::WideToUtf8(id);
    }
}

TEST_F(Document, TheDatabaseIsNamedWithEscapedBlanksEitherSlashOrItsReplicaId)
{
    ImportDatabase(L"Mail Archive\\a.nsf", Note(Text("Subject", "archived")), L"0123456789ABCDEF");
    ImportDatabase(L"mail\\a.nsf", Note(Text("Subject", "current")));
    EXPECT_NE(std::wstring::npos, GetDocument(L"Mail%20Archive\\a.nsf", L"8F6").reply.find(L"<value>archived</value>"));
    const CommandResult slashed = GetDocument(L"mail/a.nsf", L"8F6");
    EXPECT_NE(std::wstring::npos, slashed.reply.find(L"<value>current</value>"));
    EXPECT_NE(std::wstring::npos,
              Run(std::wstring(L"<get_document db=\"none.nsf\" replicaid=\"") + kDocumentReplica + L"\" id=\"8F6\"/>")
                  .reply.find(L"<value>current</value>"));
    for (const wchar_t* request : {L"<get_document id=\"8F6\"/>", L"<get_document db=\"none.nsf\" id=\"8F6\"/>",
                                   L"<get_document db=\"Mail Archive%2\\a.nsf\" id=\"8F6\"/>"}) {
        const CommandResult got = Run(request);
        EXPECT_EQ(1, got.result) << brw::WideToUtf8(request);
        EXPECT_EQ(L"", got.reply) << brw::WideToUtf8(request);
    }
}

// A brw: link on a web page becomes a request: it may not make Notes open a
// database on another machine, not even when its replica id is local.
TEST_F(Document, DatabasesOnAnotherMachineAreRefused)
{
    ImportDatabase(L"mail\\a.nsf", Note(Text("Subject", "current")));
    const std::wstring remote[] = {L"\\\\srv\\share\\x.nsf",         L"//srv/share/x.nsf", L"srv!!mail\\x.nsf",
                                   L"\\\\?\\UNC\\srv\\share\\x.nsf", L"\\\\.\\C:\\x.nsf",  L"srv:mail\\a.nsf"};
    for (const std::wstring& db : remote) {
        const CommandResult got =
            Run(L"<get_document db=\"" + db + L"\" replicaid=\"" + kDocumentReplica + L"\" id=\"8F6\"/>");
        EXPECT_EQ(1, got.result) << brw::WideToUtf8(db);
        EXPECT_EQ(L"", got.reply) << brw::WideToUtf8(db);
        EXPECT_EQ(1, Run(L"<get_modified_document_list db=\"" + db + L"\"/>").result) << brw::WideToUtf8(db);
    }
    EXPECT_NE(GetDocument(L"mail\\a.nsf", L"8F6").reply.find(L"<value>current</value>"), std::wstring::npos);
    EXPECT_NE(GetDocument(DataPath(L"mail\\a.nsf"), L"8F6").reply.find(L"<value>current</value>"), std::wstring::npos);
    EXPECT_NE(GetDocument(DataPath(L"mail/a.nsf"), L"8F6").reply.find(L"<value>current</value>"), std::wstring::npos);
}

TEST_F(Document, TextsUpTo2048BytesAreWrittenAndEveryListEntry)
{
    std::string list = "<item name='Ten'><textlist>";
    for (int i = 0; i < 10; ++i) {
        list += "<text>entry" + std::to_string(i) + "</text>";
    }
    list += "</textlist></item>";
    ImportDatabase(L"texts.nsf", Note(Text("Exact", std::string(2048, 'e')) + Text("Over", std::string(2049, 'o')) +
                                      Text("Long", std::string(3000, 'l')) + Text("One", "x") + list));
    const std::wstring reply = GetDocument(L"texts.nsf", L"8F6").reply;
    EXPECT_NE(std::wstring::npos, reply.find(L"<name>Exact</name><value>" + std::wstring(2048, L'e') + L"</value>"));
    EXPECT_NE(std::wstring::npos, reply.find(L"<textfield><name>One</name><value>x</value></textfield>"));
    EXPECT_EQ(std::wstring::npos, reply.find(L"<name>Over</name>"));
    EXPECT_EQ(std::wstring::npos, reply.find(L"<name>Long</name>"));
    const std::wstring ten = brwtest::ElementText(reply, L"textlistfield");
    EXPECT_EQ(10u, brwtest::CountOf(ten, L"<value>"));
    EXPECT_EQ(0u, ten.find(L"<name>Ten</name><value>entry0</value><value>entry1</value>"));
}

TEST_F(Document, ValuesWithNothingAfterTheirTypeWordAreSkippedButCounted)
{
    const std::string emptyRange(4, '\0'); // no times, no pairs
    ImportDatabase(L"values.nsf",
                   Note(brwtest::RawItem("Empty", "0500", "") + brwtest::RawItem("NoTimes", "0401", emptyRange) +
                        "<item name='Due'><datetime>19990102T030405,00+00</datetime></item>"
                        "<item name='Span'><datetimelist><datetimepair><datetime>20000304T050607,00+00</datetime>"
                        "<datetime>20000305T050607,00+00</datetime></datetimepair></datetimelist></item>"
                        "<item name='Count'><number>7</number></item>"));
    const std::wstring reply = GetDocument(L"values.nsf", L"8F6").reply;
    EXPECT_EQ(std::wstring::npos, reply.find(L"<name>Empty</name>"));
    EXPECT_EQ(std::wstring::npos, reply.find(L"<name>NoTimes</name>"));
    EXPECT_EQ(std::wstring::npos, reply.find(L"<name>Count</name>"));
    EXPECT_NE(std::wstring::npos, reply.find(L"<datefield><name>Due</name><value>" +
                                             brwtest::ReplyTime(1999, 1, 2, 3, 4, 5) + L"</value></datefield>"));
    EXPECT_NE(std::wstring::npos, reply.find(L"<datefield><name>Span</name><value>" +
                                             brwtest::ReplyTime(2000, 3, 4, 5, 6, 7) + L"</value></datefield>"));
    // type words, time, range header and pair, number
    const long size = 2 + (2 + 4) + (2 + 8) + (2 + 4 + 16) + (2 + 8);
    EXPECT_EQ(std::to_wstring(size), brwtest::ElementText(reply, L"notesize"));
}

TEST_F(Document, OnlyTheWordTrueInAnyCaseSwitchesAFlagOn)
{
    ImportDatabase(L"memo.nsf", Note(Text("Subject", "Budget")));
    const std::wstring rtf = NextBodyFile(L"rtf");
    EXPECT_EQ(rtf, brwtest::ElementText(GetDocument(L"memo.nsf", L"8F6", L"preview=\"TRUE\"").reply, L"rtf"));
    const std::wstring txt = NextBodyFile(L"txt");
    EXPECT_EQ(txt, brwtest::ElementText(GetDocument(L"memo.nsf", L"8F6", L"preview=\"yes\"").reply, L"rtf"));
    const std::wstring alsoTxt = NextBodyFile(L"txt");
    EXPECT_EQ(alsoTxt, brwtest::ElementText(GetDocument(L"memo.nsf", L"8F6", L"preview=\"1\"").reply, L"rtf"));
}

TEST_F(Document, AttachmentsAreListedWithTheNamesTheBodyShows)
{
    ImportTwoAttachments();
    const CommandResult got = GetDocument(L"att.nsf", L"8F6");
    const std::wstring attachments = brwtest::ElementText(got.reply, L"attachments");
    EXPECT_EQ(2u, brwtest::CountOf(attachments, L"<attachment>"));
    EXPECT_EQ(0u, brwtest::CountOf(got.reply, L"<diskfilename>"));
    EXPECT_EQ(0u, attachments.find(L"<attachment><originalfilename>notes.txt</originalfilename>"
                                   L"<attachmentfilesize>5</attachmentfilesize>"));
    EXPECT_NE(std::wstring::npos, attachments.find(L"<originalfilename>report.final.PDF</originalfilename>"
                                                   L"<attachmentfilesize>70011</attachmentfilesize>"));
    EXPECT_EQ(1u, brwtest::FileCount(ReplyFolder())) << "only the body file is written";
}

TEST_F(Document, TheSelectedAttachmentIsExtractedReadOnlyUnderItsDisplayedExtension)
{
    ImportTwoAttachments();
    const CommandResult second = GetDocument(L"att.nsf", L"8F6", L"attnum=\"2\"");
    const std::wstring path = AttachmentFile(1, L"PDF");
    EXPECT_EQ(0, second.result);
    EXPECT_EQ(L"<document><attachment><diskfilename>" + path +
                  L"</diskfilename>"
                  L"<originalfilename>report.final.PDF</originalfilename><attachmentfilesize>70011</attachmentfilesize>"
                  L"<attachmentmodifiedtime><name>attachmentmodifiedtime</name><value>" +
                  brwtest::ReplyTime(1995, 5, 5, 9, 30, 0) +
                  L"</value></attachmentmodifiedtime></attachment></document>",
              second.reply);
    EXPECT_EQ(secondBytes_, brwtest::ReadFileBytes(path));
    EXPECT_TRUE(brwtest::IsReadOnly(path));
    EXPECT_EQ(0, GetDocument(L"att.nsf", L"8F6", L"attnum=\"2\"").result) << "the earlier copy is used again";
    const std::wstring first =
        brwtest::ElementText(GetDocument(L"att.nsf", L"8F6", L"attnum=\"1\"").reply, L"diskfilename");
    EXPECT_EQ("first", brwtest::ReadFileBytes(first));
    EXPECT_TRUE(brwtest::Exists(AttachmentFile(0, L"txt")));
    EXPECT_EQ(2u, brwtest::FileCount(ReplyFolder()));
}

TEST_F(Document, AttachmentNumbersThatSelectNoneFailAndWriteNothing)
{
    ImportTwoAttachments();
    for (const wchar_t* number : {L"3", L"-1", L"-2147483648", L"65537", L"4294967297", L"99999999999999999999"}) {
        const CommandResult got = GetDocument(L"att.nsf", L"8F6", std::wstring(L"attnum=\"") + number + L"\"");
        EXPECT_EQ(1, got.result) << brw::WideToUtf8(number);
        EXPECT_EQ(0u, brwtest::CountOf(got.reply, L"<diskfilename>")) << brw::WideToUtf8(number);
    }
    EXPECT_EQ(0u, brwtest::FileCount(ReplyFolder()));
    ImportDatabase(L"none.nsf", Note(Text("Subject", "no files")));
    EXPECT_EQ(1, GetDocument(L"none.nsf", L"8F6", L"attnum=\"1\"").result);
    EXPECT_EQ(0, GetDocument(L"none.nsf", L"8F6", L"attnum=\"0x1\"").result) << "0, the document itself";
}

TEST_F(Document, OnlyFileObjectsCountAsAttachments)
{
    FILEOBJECT embedded{};
    embedded.Header.ObjectType = 1; // not a file
    embedded.FileNameLength = 3;
    std::string value(reinterpret_cast<const char*>(&embedded), sizeof(embedded));
    value += "ole";
    ImportDatabase(L"ole.nsf", Note(brwtest::RawItem("$FILE", "0003", value) + File("real.doc", "real")));
    const CommandResult first = GetDocument(L"ole.nsf", L"8F6", L"attnum=\"1\"");
    EXPECT_EQ(0, first.result);
    EXPECT_EQ(AttachmentFile(0, L"doc"), brwtest::ElementText(first.reply, L"diskfilename"));
    EXPECT_EQ(1, GetDocument(L"ole.nsf", L"8F6", L"attnum=\"2\"").result);
}

TEST_F(Document, ManagedAttachmentsAreRememberedForDeletion)
{
    ImportTwoAttachments();
    brw::BRWTemporaryFileMgr& manager = brw::BRWTemporaryFileMgr::Instance();
    const int before = manager.RememberedCount();
    EXPECT_EQ(0, GetDocument(L"att.nsf", L"8F6", L"attnum=\"1\" manage=\"false\"").result);
    EXPECT_EQ(before, manager.RememberedCount());
    EXPECT_EQ(0, GetDocument(L"att.nsf", L"8F6", L"attnum=\"2\" manage=\"True\"").result);
    EXPECT_EQ(before + 1, manager.RememberedCount());
    manager.DeleteFiles();
    EXPECT_FALSE(brwtest::Exists(AttachmentFile(1, L"PDF")));
    EXPECT_TRUE(brwtest::Exists(AttachmentFile(0, L"txt")));
}

TEST_F(Document, RepeatedManagedExtractionsNeverFillTheManager)
{
    ImportTwoAttachments();
    brw::BRWTemporaryFileMgr& manager = brw::BRWTemporaryFileMgr::Instance();
    const int before = manager.RememberedCount();
    for (int i = 0; i < 520; ++i) {
        ASSERT_EQ(0, GetDocument(L"att.nsf", L"8F6", L"attnum=\"1\" manage=\"true\"").result) << i;
    }
    EXPECT_EQ(manager.RememberedCount(), before + 1);
    EXPECT_EQ(0, GetDocument(L"att.nsf", L"8F6", L"attnum=\"2\" manage=\"true\"").result);
    EXPECT_EQ(manager.RememberedCount(), before + 2) << "another attachment still finds room";
    manager.DeleteFiles();
    EXPECT_FALSE(brwtest::Exists(AttachmentFile(0, L"txt")));
    EXPECT_FALSE(brwtest::Exists(AttachmentFile(1, L"PDF")));
    EXPECT_EQ(manager.RememberedCount(), before) << "each file deleted and forgotten once";
}

TEST_F(Document, RefusedTempDirsGetTheirRepliesAndNoFileIsWritten)
{
    ImportTwoAttachments();
    const std::wstring root = TempDir().substr(0, TempDir().rfind(L'\\'));
    const std::wstring aFile = WriteInputFile(L"not-a-folder", "x");
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const bool windowsHadFolder = brwtest::Exists(std::wstring(windows) + L"\\Quexlink");
    const std::wstring tempDirs[] = {
        L"",   L"relative\\dir",    TempDir() + L"\\..\\escape", windows, std::wstring(windows) + L"\\Temp",
        aFile, L"\\\\server\\share"};
    for (const std::wstring& tempDir : tempDirs) {
        const std::wstring request = L"<get_document db=\"att.nsf\" tempdir=\"" + tempDir + L"\" id=\"8F6\"";
        const CommandResult one = Run(request + L" attnum=\"1\"/>");
        const CommandResult document = Run(request + L"/>");
        EXPECT_EQ(1, one.result) << brw::WideToUtf8(tempDir);
        EXPECT_EQ(0, document.result) << brw::WideToUtf8(tempDir);
        EXPECT_EQ(std::wstring::npos, document.reply.find(L"<rtf>")) << brw::WideToUtf8(tempDir);
        EXPECT_NE(std::wstring::npos, document.reply.find(L"<notesize>")) << brw::WideToUtf8(tempDir);
    }
    EXPECT_FALSE(brwtest::Exists(root + L"\\escape"));
    EXPECT_FALSE(brwtest::Exists(TempDir() + L"\\Quexlink"));
    EXPECT_EQ(windowsHadFolder, brwtest::Exists(std::wstring(windows) + L"\\Quexlink"));
}

TEST_F(Document, MarkupInNamesAndValuesIsWrittenAsEntities)
{
    ImportDatabase(L"markup.nsf",
                   Note(Text("Subject", "&lt;/value&gt;&lt;diskfilename&gt;C:\\x") + Text("a&lt;b&gt;", "&amp;amp;") +
                        BodyShowing({{"x&amp;y.txt", "&lt;/originalfilename&gt;&lt;diskfilename&gt;C:\\evil.exe"}}) +
                        File("x&amp;y.txt", "payload")));
    const CommandResult document = GetDocument(L"markup.nsf", L"8F6");
    EXPECT_NE(std::wstring::npos, document.reply.find(L"<value>&lt;/value&gt;&lt;diskfilename&gt;C:\\x</value>"));
    EXPECT_NE(std::wstring::npos, document.reply.find(L"<name>a&lt;b&gt;</name><value>&amp;amp;</value>"));
    EXPECT_NE(std::wstring::npos,
              document.reply.find(L"<originalfilename>&lt;/originalfilename&gt;&lt;diskfilename&gt;C:\\evil.exe"
                                  L"</originalfilename>"));
    EXPECT_EQ(0u, brwtest::CountOf(document.reply, L"<diskfilename>"));
    const CommandResult extracted = GetDocument(L"markup.nsf", L"8F6", L"attnum=\"1\"");
    EXPECT_EQ(1u, brwtest::CountOf(extracted.reply, L"<diskfilename>"));
    EXPECT_EQ(AttachmentFile(0, L"exe"), brwtest::ElementText(extracted.reply, L"diskfilename"));
}

TEST_F(Document, AnExtensionThatIsNoFileNameIsLeftOut)
{
    ImportDatabase(L"climb.nsf", Note(BodyShowing({{"ATT1", "report.\\..\\..\\..\\evil"}, {"ATT2", "a.b:c"}}) +
                                      File("ATT1", "one") + File("ATT2", "two")));
    EXPECT_EQ(AttachmentFile(0, L""),
              brwtest::ElementText(GetDocument(L"climb.nsf", L"8F6", L"attnum=\"1\"").reply, L"diskfilename"));
    EXPECT_EQ(AttachmentFile(1, L""),
              brwtest::ElementText(GetDocument(L"climb.nsf", L"8F6", L"attnum=\"2\"").reply, L"diskfilename"));
    EXPECT_EQ(2u, brwtest::FileCount(ReplyFolder()));
}

// Notes stores a line break inside a text value as a NUL; the reader of a
// reply takes a NUL for its end, so none may reach it.
TEST_F(Document, StoredLineBreaksBecomeLineBreaksAndNoNulReachesTheReply)
{
    ImportDatabase(L"breaks.nsf",
                   Note(Text("Subject", "Line one<break/>line two") +
                        "<item name='Address'><textlist><text>Main St<break/>Springfield</text><text>x</text>"
                        "</textlist></item>" +
                        Text("After", "still here")));
    const CommandResult got = GetDocument(L"breaks.nsf", L"8F6");
    constexpr wchar_t kEnd[] = L"</document>";
    EXPECT_EQ(0, got.result);
    EXPECT_EQ(got.reply.find(L'\0'), std::wstring::npos);
    EXPECT_NE(got.reply.find(L"<value>Line one\r\nline two</value>"), std::wstring::npos);
    EXPECT_NE(got.reply.find(L"<value>Main St\r\nSpringfield</value><value>x</value>"), std::wstring::npos);
    EXPECT_NE(got.reply.find(L"<name>After</name><value>still here</value>"), std::wstring::npos);
    EXPECT_NE(got.reply.find(L"<notesize>"), std::wstring::npos);
    ASSERT_GE(got.reply.size(), std::size(kEnd) - 1);
    EXPECT_EQ(kEnd, got.reply.substr(got.reply.size() - (std::size(kEnd) - 1)));
}

// Rich-text records as a database file may hold them: lengths that run
// past their record or item, names without their NUL.
std::string HotspotRecord(WORD recordLength, WORD dataLength, const std::string& data)
{
    CDHOTSPOTBEGIN hotspot{{SIG_CD_HOTSPOTBEGIN, recordLength}, HOTSPOTREC_TYPE_FILE, 0, dataLength};
    std::string record(reinterpret_cast<const char*>(&hotspot), sizeof(hotspot));
    record += data;
    if (record.size() % 2 != 0) {
        record += '\0';
    }
    return record;
}

TEST_F(Document, DamagedHotspotsNameNoAttachment)
{
    const std::string names = std::string("ATT1\0shown.txt\0", 15);
    const std::string overlong = HotspotRecord(sizeof(CDHOTSPOTBEGIN) + 15, 40, names);
    const std::string unterminated = HotspotRecord(sizeof(CDHOTSPOTBEGIN) + 8, 8, "ATT1shwn");
    const std::string pastTheItem = HotspotRecord(sizeof(CDHOTSPOTBEGIN) + 200, 15, names);
    ImportDatabase(L"damaged.nsf",
                   Note(brwtest::RawItem("Body", "0001", overlong + unterminated + pastTheItem) + File("ATT1", "one")));
    const CommandResult got = GetDocument(L"damaged.nsf", L"8F6");
    EXPECT_EQ(0, got.result);
    EXPECT_EQ(L"ATT1", brwtest::ElementText(got.reply, L"originalfilename"));
    const std::string valid = HotspotRecord(sizeof(CDHOTSPOTBEGIN) + 15, 15, names);
    ImportDatabase(L"valid.nsf", Note(brwtest::RawItem("Body", "0001", valid) + File("ATT1", "one")));
    EXPECT_EQ(L"shown.txt", brwtest::ElementText(GetDocument(L"valid.nsf", L"8F6").reply, L"originalfilename"));
}

} // namespace
