// DXL import: what real exports contain, read through the API afterwards.
#include "platform/notes/DxlImport.h"

#include "platform/notes/DxlExport.h"
#include "platform/notes/Generator.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/TimeDate.h"
#include "platform/notes/tests/NotesFixture.h"

#include <objbase.h>

#include <cstring>

namespace {

// Latin-1 bytes: the declaration names the encoding, so 0xE9 is "é".
const char kDatabaseDxl[] =
    "<?xml version='1.0' encoding='ISO-8859-1'?>\n"
    "<!DOCTYPE database SYSTEM 'xmlschemas/domino_9_0_1.dtd'>\n"
    "<database xmlns='http://www.lotus.com/dxl' version='9.0' replicaid='C12585B4004B6231' path='mail\\x.nsf' "
    "title='Caf\xE9 mail'>\n"
    "<databaseinfo dbid='C12585B4004B6231' odsversion='51'><created><datetime>20140808T133711,22-04</datetime>"
    "</created></databaseinfo>\n"
    "<acl><aclentry name='-Default-'/></acl>\n"
    "<folder name='($Inbox)' alias='$Inbox'><noteinfo noteid='20a' unid='00000000000000000000000000000001' "
    "sequence='1'/></folder>\n"
    "<form name='Memo'><noteinfo noteid='20e' unid='00000000000000000000000000000002' sequence='1'/>"
    "<item name='$Fields'><textlist><text>Subject</text><text>Body</text></textlist></item></form>\n"
    "<document form='Memo'><noteinfo noteid='8fa' unid='C12585B4004B62318FBB8DBFCD362EBC' sequence='3'>"
    "<created><datetime dst='true'>20140808T133711,22+02</datetime></created>"
    "<modified><datetime dst='true'>20140808T133711,22+02</datetime></modified>"
    "<revised><datetime dst='true'>20140808T133711,21+02</datetime></revised></noteinfo>\n"
    "<updatedby><name>CN=Jane Doe/O=Acme</name></updatedby>\n"
    "<item name='Subject'><text>Line one<break/>line two</text></item>\n"
    "<item name='SendTo' names='true'><textlist><text>CN=A/O=B</text><text>CN=C/O=D</text></textlist></item>\n"
    "<item name='Size'><number>12.5</number></item>\n"
    "<item name='Numbers'><numberlist><number>1</number><number>2</number></numberlist></item>\n"
    "<item name='PostedDate'><datetime>20140808T133711,22-04</datetime></item>\n"
    "<item name='RouteTimes'><datetimelist><datetimepair><datetime>20140808T133711,22-04</datetime>"
    "<datetime>20140808T133712,22-04</datetime></datetimepair></datetimelist></item>\n"
    "<item name='$REF'><rawitemdata type='4'>AQAxYksAtIUlwbwuNs2/jbuP</rawitemdata></item>\n"
    "<item name='Mystery'><unknownvalue>ignored</unknownvalue></item>\n"
    "<futureelement><child/></futureelement>\n"
    "<item name='Body'><richtext><pardef id='1'/><par def='1'>Hello <run><font style='bold'/>bold</run>"
    "</par><table><tablerow><tablecell><par>cell one</par></tablecell><tablecell><par>cell two</par></tablecell>"
    "</tablerow></table><par><attachmentref name='a.txt' displayname='Notes.txt'/></par></richtext></item>\n"
    "<item name='$FILE' summary='true'><object><file hosttype='msdos' compression='none' flags='storedindoc' "
    "encoding='none' name='a.txt'><created><datetime>20140808T133711,22-04</datetime></created>"
    "<modified><datetime>20140808T133711,22-04</datetime></modified><filedata>aGVsbG8=</filedata></file>"
    "</object></item>\n"
    "</document>\n"
    "<profiledocument name='CalendarProfile'><item name='Owner'><text>CN=Jane Doe/O=Acme</text></item>"
    "</profiledocument>\n"
    "</database>\n";

const char kSingleNoteDxl[] =
    "<?xml version='1.0' encoding='utf-8'?>\n"
    "<document xmlns='http://www.lotus.com/dxl' form='Memo'><item name='Subject'><text>Only me \xC4\x8A</text>"
    "</item></document>\n";

class DxlImportTest : public NotesTest {
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
    bool ImportText(const char* text, size_t size, nsf::DbData& data, std::wstring* error)
    {
        EXPECT_TRUE(nsf::WriteFileAtomically(Path(L"in.dxl"), std::vector<BYTE>(text, text + size)));
        return dxl::Import(Path(L"in.dxl"), data, error);
    }
};

std::string ItemText(NOTEHANDLE note, const char* name)
{
    char buffer[256] = {};
    NSFItemConvertToText(note, name, buffer, sizeof(buffer), ',');
    return buffer;
}

} // namespace

TEST_F(DxlImportTest, DatabaseExportBecomesADatabase)
{
    nsf::DbData data;
    std::wstring error;
    ASSERT_TRUE(ImportText(kDatabaseDxl, sizeof(kDatabaseDxl) - 1, data, &error)) << lmbcs::FromWide(error);
    WriteDb(L"x.nsf", data);
    StartNotes();
    DBHANDLE db = OpenDb(L"x.nsf");
    char info[NSF_INFO_SIZE];
    NSFDbInfoGet(db, info);
    char title[128];
    NSFDbInfoParse(info, INFOPARSE_TITLE, title, sizeof(title));
    EXPECT_EQ(std::string("Caf\x82 mail"), title) << "Latin-1 decoded, stored as LMBCS";
    DBREPLICAINFO replica{};
    NSFDbReplicaInfoGet(db, &replica);
    EXPECT_EQ(0xC12585B4u, replica.ID.Innards[1]);

    NOTEID inbox = 0;
    EXPECT_EQ(NOERROR_STATUS, NIFFindDesignNoteExt(db, "($Inbox)", NOTE_CLASS_VIEW, "-G40n^", &inbox, 0));
    EXPECT_EQ(0x20Au, inbox);
    NOTEHANDLE note = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFNoteOpen(db, 0x8FA, 0, &note)) << "the exported note id is kept";
    EXPECT_EQ("Memo", ItemText(note, "Form")) << "the form attribute becomes the Form item";
    EXPECT_EQ(std::string("Line one\0line two", 17),
              std::string(ItemText(note, "Subject").c_str(), 8) + std::string(1, '\0') + "line two");
    EXPECT_EQ("CN=A/O=B,CN=C/O=D", ItemText(note, "SendTo"));
    EXPECT_EQ("12.5", ItemText(note, "Size"));
    EXPECT_EQ("1,2", ItemText(note, "Numbers"));

    ORIGINATORID oid{};
    NSFNoteGetInfo(note, _NOTE_OID, &oid);
    EXPECT_EQ(3u, oid.Sequence);
    EXPECT_EQ(0xC12585B4u, oid.File.Innards[1]);
    EXPECT_EQ(0xCD362EBCu, oid.Note.Innards[0]);
    // 13:37:11.21 at +02 with daylight saving is 11:37:11.21 GMT.
    EXPECT_EQ((11 * 3600 + 37 * 60 + 11) * 100u + 21, oid.SequenceTime.Innards[0]);

    BLOCKID item{};
    BLOCKID value{};
    WORD type = 0;
    DWORD length = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "PostedDate", 10, &item, &type, &value, &length));
    TIMEDATE posted;
    std::memcpy(&posted, static_cast<BYTE*>(OSLockObject(value.pool)) + value.block + 2, sizeof(posted));
    EXPECT_EQ((17 * 3600 + 37 * 60 + 11) * 100u + 22, posted.Innards[0]) << "-04 means four hours later in GMT";
    EXPECT_EQ(2456878u, posted.Innards[1] & 0x00FFFFFF);
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "RouteTimes", 10, &item, &type, &value, &length));
    EXPECT_EQ(TYPE_TIME_RANGE, type);
    EXPECT_EQ(2u + 4 + 16, length);
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "$REF", 4, &item, &type, &value, &length));
    EXPECT_EQ(TYPE_NOTEREF_LIST, type) << "raw item data keeps its type and bytes";
    EXPECT_EQ(2u + 18, length);
    EXPECT_EQ(ERR_ITEM_NOT_FOUND, NSFItemInfo(note, "Mystery", 7, &item, &type, &value, &length));

    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "Body", 4, &item, &type, &value, &length));
    DHANDLE text = 0;
    DWORD size = 0;
    ASSERT_EQ(NOERROR_STATUS, ConvertItemToText(value, length, "|", 0, &text, &size, FALSE));
    EXPECT_EQ("Hello bold|cell one\tcell two|", std::string(static_cast<char*>(OSLockObject(text)), size));
    OSMemFree(text);

    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "$FILE", 5, &item, &type, &value, &length));
    FILEOBJECT object;
    std::memcpy(&object, static_cast<BYTE*>(OSLockObject(value.pool)) + value.block + 2, sizeof(object));
    EXPECT_EQ(5u, object.FileSize) << "no size attribute: the decoded data's size";
    const std::string out = NarrowPath(L"a.txt");
    ASSERT_EQ(NOERROR_STATUS, NSFNoteExtractFile(note, item, out.c_str(), nullptr));
    std::vector<BYTE> bytes;
    nsf::ReadWholeFile(Path(L"a.txt"), bytes);
    EXPECT_EQ(std::string("hello"), std::string(bytes.begin(), bytes.end()));
    NSFNoteClose(note);

    ASSERT_EQ(NOERROR_STATUS, NSFProfileOpen(db, "CalendarProfile", 15, nullptr, 0, TRUE, &note));
    EXPECT_EQ("CN=Jane Doe/O=Acme", ItemText(note, "Owner"));
    NSFNoteClose(note);
    NSFDbClose(db);
}

TEST_F(DxlImportTest, ASingleNoteRootAndBadFiles)
{
    nsf::DbData data;
    std::wstring error;
    ASSERT_TRUE(ImportText(kSingleNoteDxl, sizeof(kSingleNoteDxl) - 1, data, &error));
    ASSERT_EQ(1u, data.notes.size());
    const nsf::ItemData* subject = data.notes[0].FindItem("Subject");
    ASSERT_NE(nullptr, subject);
    EXPECT_EQ(L"Only me \u010A", lmbcs::ToWide(std::string(subject->value.begin() + 2, subject->value.end())));

    const char broken[] = "<?xml version='1.0'?><database><document>";
    EXPECT_FALSE(ImportText(broken, sizeof(broken) - 1, data, &error));
    const char other[] = "<?xml version='1.0'?><html/>";
    EXPECT_FALSE(ImportText(other, sizeof(other) - 1, data, &error));
    EXPECT_FALSE(dxl::Import(Path(L"missing.dxl"), data, &error));
}

TEST_F(DxlImportTest, ExportAndImportGiveBackTheSameNotes)
{
    generator::Options options;
    options.count = 40;
    options.seed = 11;
    const nsf::DbData original = generator::Generate(options);
    std::wstring error;
    ASSERT_TRUE(dxl::Export(original, Path(L"out.dxl"), &error)) << lmbcs::FromWide(error);
    nsf::DbData back;
    ASSERT_TRUE(dxl::Import(Path(L"out.dxl"), back, &error)) << lmbcs::FromWide(error);
    EXPECT_EQ(original.info.title, back.info.title);
    EXPECT_EQ(0, std::memcmp(&original.info.replicaId, &back.info.replicaId, sizeof(DBID)));
    ASSERT_EQ(original.notes.size(), back.notes.size());
    for (size_t i = 0; i < original.notes.size(); ++i) {
        const nsf::NoteData& a = original.notes[i];
        const nsf::NoteData& b = back.notes[i];
        SCOPED_TRACE("note " + std::to_string(a.id));
        EXPECT_EQ(a.id, b.id);
        EXPECT_EQ(a.noteClass, b.noteClass);
        EXPECT_EQ(a.flags, b.flags);
        EXPECT_EQ(0, std::memcmp(&a.oid, &b.oid, sizeof(ORIGINATORID)));
        ASSERT_EQ(a.items.size(), b.items.size());
        for (size_t k = 0; k < a.items.size(); ++k) {
            // A profile's $Name is rebuilt last from the element, so its
            // items are matched by name; everything else keeps its order.
            const nsf::ItemData* item =
                (a.flags & nsf::kNoteProfile) ? const_cast<nsf::NoteData&>(b).FindItem(a.items[k].name) : &b.items[k];
            ASSERT_NE(nullptr, item);
            EXPECT_EQ(a.items[k].name, item->name);
            EXPECT_EQ(a.items[k].value, item->value) << a.items[k].name;
            EXPECT_EQ(a.items[k].object, item->object);
        }
    }
}

// A file that was a MIME part keeps that mark and the part's transfer
// encoding in its flag word; export writes both back as Notes writes them.
TEST_F(DxlImportTest, FileFlagsAndEncodingSurviveImportAndExport)
{
    const char text[] = "<?xml version='1.0'?><document><item name='$FILE'><object><file flags='sign mime' "
                        "encoding='base64' name='ATT1.object'><filedata>aGk=</filedata></file></object></item>"
                        "<item name='$FILE'><object><file encoding='quotedprintable' name='b.txt'/></object></item>"
                        "<item name='$FILE'><object><file flags='shiny storedindoc' encoding='rot13' name='c.txt'/>"
                        "</object></item></document>";
    nsf::DbData data;
    std::wstring error;
    ASSERT_TRUE(ImportText(text, sizeof(text) - 1, data, &error)) << lmbcs::FromWide(error);
    ASSERT_EQ(1u, data.notes.size());
    ASSERT_EQ(3u, data.notes[0].items.size());
    const WORD expected[] = {FILEFLAG_SIGN | FILEFLAG_MIME | ENCODE_BASE64, ENCODE_QP, FILEFLAG_INDOC};
    for (size_t i = 0; i < 3; ++i) {
        FILEOBJECT object;
        ASSERT_GE(data.notes[0].items[i].value.size(), 2 + sizeof(object));
        std::memcpy(&object, data.notes[0].items[i].value.data() + 2, sizeof(object));
        EXPECT_EQ(expected[i], object.Flags) << i;
    }

    ASSERT_TRUE(dxl::Export(data, Path(L"out.dxl"), &error)) << lmbcs::FromWide(error);
    std::vector<BYTE> exported;
    ASSERT_TRUE(nsf::ReadWholeFile(Path(L"out.dxl"), exported));
    const std::string written(exported.begin(), exported.end());
    EXPECT_NE(std::string::npos, written.find("flags=\"sign mime\" encoding=\"base64\"")) << written;
    nsf::DbData back;
    ASSERT_TRUE(dxl::Import(Path(L"out.dxl"), back, &error)) << lmbcs::FromWide(error);
    ASSERT_EQ(1u, back.notes.size());
    ASSERT_EQ(3u, back.notes[0].items.size());
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(data.notes[0].items[i].value, back.notes[0].items[i].value) << i;
    }
    EXPECT_EQ("hi", std::string(back.notes[0].items[0].object.begin(), back.notes[0].items[0].object.end()));
}
