// Internet mail in the stand-in: header and MIME part items survive DXL
// export and import byte for byte, the API hands them out with their
// descriptors first, and the generator makes a share of such mail.
#include "platform/notes/MimeMail.h"

#include "platform/notes/DxlExport.h"
#include "platform/notes/DxlImport.h"
#include "platform/notes/Generator.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/tests/NotesFixture.h"

#include <objbase.h>

#include <cstring>
#include <iterator>

namespace {

using generator::MimeStyle;

constexpr WORD kRfc822Version = 14;

class MimeMailTest : public NotesTest {
protected:
    void SetUp() override
    {
        NotesTest::SetUp();
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override
    {
        NotesTest::TearDown();
        CoUninitialize();
    }
};

generator::MimeMemo Memo(size_t fileBytes)
{
    generator::MimeMemo memo;
    memo.subject = "Gr\xC3\xBC\xC3\x9F"
                   "e \xD0\x9E\xD1\x82\xD1\x87\xD1\x91\xD1\x82";
    memo.from = {"Zo\xC3\xAB Dupr\xC3\xA9", "zoe@example.fr"};
    memo.to = {{"Anna Berg", "anna@example.com"}, {"", "bob@example.com"}};
    memo.posted = TIMEDATE{{0x005F1504, 0x04257D2E}};
    memo.delivered = memo.posted;
    memo.paragraphs = {"First paragraph.", "Zweiter Absatz mit \xC3\xBC."};
    if (fileBytes > 0) {
        std::string bytes(fileBytes, '\0');
        for (size_t at = 0; at < fileBytes; ++at) {
            bytes[at] = static_cast<char>(at * 7 % 251);
        }
        memo.files.push_back({"scan.pdf", bytes});
    }
    return memo;
}

WORD WordAt(const std::vector<BYTE>& value, size_t offset)
{
    WORD word = 0;
    std::memcpy(&word, value.data() + offset, sizeof(word));
    return word;
}

// A MIME part item's descriptor counts exactly the bytes after it.
void ExpectPartsConsistent(const std::vector<nsf::ItemData>& items)
{
    for (const nsf::ItemData& item : items) {
        if (WordAt(item.value, 0) == TYPE_MIME_PART) {
            ASSERT_GE(item.value.size(), 22u);
            EXPECT_EQ(item.value.size() - 22, WordAt(item.value, 2 + 8));
            EXPECT_LE(size_t(WordAt(item.value, 2 + 10)) + WordAt(item.value, 2 + 12), WordAt(item.value, 2 + 8));
        }
    }
}

std::string Joined(const std::vector<nsf::ItemData>& items)
{
    std::string joined;
    for (const nsf::ItemData& item : items) {
        if (WordAt(item.value, 0) == TYPE_MIME_PART) {
            joined.append(item.value.begin() + 22, item.value.end());
        }
    }
    return joined;
}

TEST_F(MimeMailTest, EveryStyleGivesConsistentPartsAndAClosedEntity)
{
    for (MimeStyle style : {MimeStyle::Plain, MimeStyle::QuotedPrintable, MimeStyle::Alternative, MimeStyle::HtmlOnly,
                            MimeStyle::Mixed}) {
        SCOPED_TRACE(static_cast<int>(style));
        const std::vector<nsf::ItemData> items = generator::MimeMemoItems(Memo(100), style, 0);
        ExpectPartsConsistent(items);
        const std::string entity = Joined(items);
        EXPECT_EQ(0u, entity.find("Content-Type: "));
        if (style == MimeStyle::Mixed || style == MimeStyle::Alternative) {
            EXPECT_NE(std::string::npos, entity.find("_boundary--\r\n"));
        }
    }
}

TEST_F(MimeMailTest, AFileLargerThanOneItemSpreadsOverSeveral)
{
    const std::vector<nsf::ItemData> items = generator::MimeMemoItems(Memo(100 * 1024), MimeStyle::Mixed, 0);
    ExpectPartsConsistent(items);
    size_t parts = 0;
    for (const nsf::ItemData& item : items) {
        parts += WordAt(item.value, 0) == TYPE_MIME_PART ? 1 : 0;
    }
    EXPECT_LE(8u, parts) << "prolog, alternative (4), the file in three items, closing";
    EXPECT_LT(100u * 1024 * 4 / 3, Joined(items).size());
}

TEST_F(MimeMailTest, HeaderItemsCarryTheirDescriptorNativeValueAndEncodedWords)
{
    const std::vector<nsf::ItemData> items = generator::MimeMemoItems(Memo(0), MimeStyle::Plain, 0);
    const nsf::ItemData* posted = nullptr;
    std::string headers;
    for (const nsf::ItemData& item : items) {
        if (WordAt(item.value, 0) == TYPE_RFC822_TEXT) {
            EXPECT_EQ(kRfc822Version, WordAt(item.value, 2));
            const size_t lengths = size_t(WordAt(item.value, 8)) + WordAt(item.value, 10) + WordAt(item.value, 12) +
                                   WordAt(item.value, 14);
            EXPECT_EQ(item.value.size(), 2 + 14 + lengths) << item.name;
            headers.append(item.value.begin() + 16, item.value.end());
            posted = item.name == "PostedDate" ? &item : posted;
        }
    }
    ASSERT_NE(nullptr, posted);
    EXPECT_EQ(8u, WordAt(posted->value, 8)) << "a date keeps its TIMEDATE";
    EXPECT_NE(std::string::npos, headers.find("Date: Fri, 8 Aug 2014 17:18:33 +0000"));
    EXPECT_NE(std::string::npos, headers.find("Subject: =?utf-8?B?"));
    EXPECT_NE(std::string::npos, headers.find("=?utf-8?B?Wm/DqyBEdXByw6k=?= <zoe@example.fr>"));
    // The odd variant writes Latin-1 Q words where the text allows.
    std::string odd;
    for (const nsf::ItemData& item : generator::MimeMemoItems(Memo(0), MimeStyle::Plain, 1)) {
        odd.append(item.value.begin(), item.value.end());
    }
    EXPECT_NE(std::string::npos, odd.find("=?iso-8859-1?Q?Zo=EB_Dupr=E9?="));
}

TEST_F(MimeMailTest, MimeItemsGoThroughDxlByteForByteAndTheApiServesThem)
{
    nsf::DbData data = SampleDb();
    nsf::NoteData& note = AddDocument(data, "ignored");
    note.items.clear(); // the classic Subject would be found first
    for (nsf::ItemData& item : generator::MimeMemoItems(Memo(70000), MimeStyle::Mixed, 1)) {
        note.items.push_back(std::move(item));
    }
    const nsf::NoteData original = note;
    std::wstring error;
    ASSERT_TRUE(dxl::Export(data, Path(L"mime.dxl"), &error)) << lmbcs::FromWide(error);
    std::vector<BYTE> dxlBytes;
    ASSERT_TRUE(nsf::ReadWholeFile(Path(L"mime.dxl"), dxlBytes));
    const std::string dxlText(dxlBytes.begin(), dxlBytes.end());
    EXPECT_NE(std::string::npos, dxlText.find("type=\"502\">"));
    EXPECT_NE(std::string::npos, dxlText.find("type=\"19\">"));

    nsf::DbData back;
    ASSERT_TRUE(dxl::Import(Path(L"mime.dxl"), back, &error)) << lmbcs::FromWide(error);
    const nsf::NoteData* imported = back.FindNote(original.id);
    ASSERT_NE(nullptr, imported);
    ASSERT_EQ(original.items.size(), imported->items.size());
    for (size_t at = 0; at < original.items.size(); ++at) {
        EXPECT_EQ(original.items[at].name, imported->items[at].name);
        EXPECT_EQ(original.items[at].value, imported->items[at].value) << original.items[at].name;
    }

    WriteDb(L"mime.nsf", back);
    StartNotes();
    DBHANDLE db = OpenDb(L"mime.nsf");
    NOTEHANDLE handle = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFNoteOpen(db, original.id, 0, &handle));
    BLOCKID item{};
    BLOCKID value{};
    WORD type = 0;
    DWORD length = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(handle, "Subject", 7, &item, &type, &value, &length));
    EXPECT_EQ(TYPE_RFC822_TEXT, type);
    const BYTE* served = static_cast<BYTE*>(OSLockObject(value.pool)) + value.block;
    const std::vector<BYTE>& stored = const_cast<nsf::NoteData&>(original).FindItem("Subject")->value;
    ASSERT_EQ(stored.size(), length);
    EXPECT_EQ(0, std::memcmp(stored.data(), served, length)) << "type word, descriptor, then the bytes";
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(handle, "Body", 4, &item, &type, &value, &length));
    EXPECT_EQ(TYPE_MIME_PART, type);
    char flag[8] = {};
    NSFItemConvertToText(handle, "$NoteHasNativeMIME", flag, sizeof(flag), ',');
    EXPECT_STREQ("1", flag);
    NSFNoteClose(handle);
    NSFDbClose(db);
}

TEST_F(MimeMailTest, TheGeneratorMakesAShareOfMimeMailAndLeavesTheRestAsBefore)
{
    generator::Options options;
    options.count = 300;
    options.seed = 7;
    const nsf::DbData data = generator::Generate(options);
    size_t mime = 0;
    size_t memos = 0;
    size_t mixed = 0;
    for (const nsf::NoteData& note : data.notes) {
        const nsf::ItemData* form = const_cast<nsf::NoteData&>(note).FindItem("Form");
        memos += form != nullptr && form->value.size() == 6 && std::memcmp(form->value.data() + 2, "Memo", 4) == 0;
        if (const_cast<nsf::NoteData&>(note).FindItem("$NoteHasNativeMIME") == nullptr) {
            continue;
        }
        ++mime;
        ExpectPartsConsistent(note.items);
        EXPECT_EQ(nullptr, const_cast<nsf::NoteData&>(note).FindItem("$FILE")) << "its files are MIME parts";
        mixed += Joined(note.items).find("multipart/mixed") != std::string::npos ? 1 : 0;
    }
    EXPECT_LT(memos / 5, mime);
    EXPECT_GT(memos / 2, mime);
    EXPECT_LT(0u, mixed);
}

} // namespace

namespace {

// A received message as the exporter writes it with its MIME option: the
// whole stream in one <mime> element, beside a few ordinary items.
std::string MimeElementDxl(const std::string& body)
{
    return "<?xml version='1.0' encoding='utf-8'?><document xmlns='http://www.lotus.com/dxl' form='Memo'>"
           "<noteinfo noteid='8fa'/><mime><![CDATA[Received: from mx.example.com\r\n\tby hub.example.com\r\n"
           "From: =?utf-8?Q?Zo=C3=AB?= <zoe@example.fr>\r\nTo: Anna <anna@example.com>,\r\n bob@example.com\r\n"
           "Subject: Quarterly figures\r\nDate: Fri, 8 Aug 2014 13:18:33 -0400\r\nMessage-ID: <1@example.fr>\r\n"
           "MIME-Version: 1.0\r\nX-Mailer: Brimlow test\r\nContent-Type: text/plain; charset=utf-8\r\n"
           "Content-Transfer-Encoding: 8bit\r\n\r\n" +
           body +
           "]]></mime><item name='DeliveredDate'><datetime>20140808T133711,22-04</datetime></item>"
           "<item name='Subject'><text>kept from the item</text></item></document>";
}

std::string HeaderBody(const nsf::ItemData& item)
{
    RFC822ITEMDESC descriptor;
    std::memcpy(&descriptor, item.value.data() + 2, sizeof(descriptor));
    const size_t start =
        2 + sizeof(descriptor) + descriptor.wNotesNativeLen + descriptor.w822NameLen + descriptor.w822DelimLen;
    return std::string(item.value.begin() + start, item.value.begin() + start + descriptor.w822BodyLen);
}

DWORD HeaderFlags(const nsf::ItemData& item)
{
    RFC822ITEMDESC descriptor;
    std::memcpy(&descriptor, item.value.data() + 2, sizeof(descriptor));
    return descriptor.dwFlags;
}

} // namespace

TEST_F(MimeMailTest, AMimeElementBecomesHeaderAndPartItemsAndExportsAsThem)
{
    const std::string body = "Gr\xC3\xBC\xC3\x9F"
                             "e.\r\n" +
                             std::string(70000, 'x') + "\r\nend\r\n";
    const std::string dxlText = MimeElementDxl(body);
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"in.dxl"), std::vector<BYTE>(dxlText.begin(), dxlText.end())));
    nsf::DbData data;
    std::wstring error;
    ASSERT_TRUE(dxl::Import(Path(L"in.dxl"), data, &error)) << lmbcs::FromWide(error);
    ASSERT_EQ(1u, data.notes.size());
    nsf::NoteData& note = data.notes[0];

    const struct {
        const char* item;
        DWORD flags;
        const char* body;
    } kHeaders[] = {
        {"Received", RFC822_ITEM_FORMAT_TEXT, "from mx.example.com\r\n\tby hub.example.com"},
        {"From", RFC822_ITEM_FORMAT_ADDR, "=?utf-8?Q?Zo=C3=AB?= <zoe@example.fr>"},
        {"SendTo", RFC822_ITEM_FORMAT_ADDR | RFC822_ITEM_TEXT_LIST, "Anna <anna@example.com>,\r\n bob@example.com"},
        {"PostedDate", RFC822_ITEM_FORMAT_DATE, "Fri, 8 Aug 2014 13:18:33 -0400"},
        {"$MessageID", RFC822_ITEM_FORMAT_TEXT, "<1@example.fr>"},
        {"MIME_Version", RFC822_ITEM_FORMAT_TEXT, "1.0"},
        {"X_Mailer", RFC822_ITEM_FORMAT_TEXT, "Brimlow test"},
    };
    for (const auto& expected : kHeaders) {
        const nsf::ItemData* item = note.FindItem(expected.item);
        ASSERT_NE(nullptr, item) << expected.item;
        EXPECT_EQ(TYPE_RFC822_TEXT, WordAt(item->value, 0)) << expected.item;
        EXPECT_EQ(expected.flags, HeaderFlags(*item)) << expected.item;
        EXPECT_EQ(expected.body, HeaderBody(*item)) << expected.item;
    }
    EXPECT_EQ(TYPE_TEXT, WordAt(note.FindItem("Subject")->value, 0)) << "the note's own item wins";
    EXPECT_EQ(TYPE_TIME, WordAt(note.FindItem("DeliveredDate")->value, 0));
    ASSERT_NE(nullptr, note.FindItem("$NoteHasNativeMIME"));
    ExpectPartsConsistent(note.items);
    EXPECT_EQ("Content-Type: text/plain; charset=utf-8\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" + body,
              Joined(note.items));
    size_t parts = 0;
    for (const nsf::ItemData& item : note.items) {
        parts += WordAt(item.value, 0) == TYPE_MIME_PART ? 1 : 0;
    }
    EXPECT_EQ(2u, parts) << "a body longer than one item holds goes on in a second";

    // Exported, the note's MIME is its items; imported again, the same.
    ASSERT_TRUE(dxl::Export(data, Path(L"out.dxl"), &error)) << lmbcs::FromWide(error);
    nsf::DbData back;
    ASSERT_TRUE(dxl::Import(Path(L"out.dxl"), back, &error)) << lmbcs::FromWide(error);
    ASSERT_EQ(1u, back.notes.size());
    ASSERT_EQ(note.items.size(), back.notes[0].items.size());
    for (size_t at = 0; at < note.items.size(); ++at) {
        EXPECT_EQ(note.items[at].name, back.notes[0].items[at].name);
        EXPECT_EQ(note.items[at].value, back.notes[0].items[at].value) << note.items[at].name;
    }
}
