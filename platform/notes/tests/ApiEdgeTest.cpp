// The entry points at their edges: handles closed or of the wrong kind, ids
// that are missing or stubs, buffers too small for a whole character,
// damaged rich text, unwritable targets and the tool's refusals.
#include "platform/notes/CdRecords.h"
#include "platform/notes/TimeDate.h"
#include "platform/notes/Values.h"
#include "platform/notes/tests/NotesFixture.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <cstring>
#include <string>

namespace {

// "ab" then U+0416, three bytes in the Unicode group (none of them a line end).
const std::string kCutText = std::string("ab\x14\x04\x16", 5);

class EdgeTest : public NotesTest {
protected:
    void SetUp() override
    {
        NotesTest::SetUp();
        nsf::DbData data = SampleDb();
        data.info.title = kCutText;
        memo_ = data.notes[0].id;
        data.notes[0].items.push_back(nsf::ItemData{"Cut", 0, values::Text(kCutText), {}});
        std::vector<BYTE> paragraph;
        cd::AppendParagraph(paragraph);
        const std::vector<std::vector<BYTE>> tails = {
            {0x81, 0xFF, 0x40, 0x00}, // a word header claiming 64 bytes
            {0x81, 0x01},             // a byte header longer than its record
            {0x81, 0xFF, 0x40},       // a word header cut short
        };
        for (const std::vector<BYTE>& tail : tails) {
            std::vector<BYTE> records = paragraph;
            records.insert(records.end(), tail.begin(), tail.end());
            nsf::NoteData& note = AddDocument(data, "damaged");
            note.items.push_back(nsf::ItemData{"Body", 0, values::RichText(records), {}});
            damaged_.push_back(note.id);
        }
        nsf::NoteData& stub = data.AddNote();
        stub.flags = nsf::kNoteDeleted;
        stub_ = stub.id;
        WriteDb(L"db.nsf", data);
        StartNotes("Greeting=" + kCutText + "\r\n");
        db_ = OpenDb(L"db.nsf");
    }
    void TearDown() override
    {
        if (db_ != 0) {
            NSFDbClose(db_);
        }
        NotesTest::TearDown();
    }
    DBHANDLE db_ = 0;
    NOTEID memo_ = 0;
    NOTEID stub_ = 0;
    std::vector<NOTEID> damaged_;
};

STATUS LNCALLBACK CountRecords(char*, WORD, DWORD, void* context)
{
    ++*static_cast<int*>(context);
    return NOERROR_STATUS;
}

} // namespace

TEST_F(EdgeTest, ClosedAndWrongKindHandlesAreRefused)
{
    NOTEHANDLE note = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFNoteOpen(db_, memo_, 0, &note));
    EXPECT_EQ(ERR_INVALID_HANDLE, OSMemFree(note)) << "a note is no memory handle";
    EXPECT_EQ(ERR_INVALID_HANDLE, IDDestroyTable(db_)) << "a database is no id table";
    EXPECT_EQ(nullptr, OSLockObject(note));
    ASSERT_EQ(NOERROR_STATUS, NSFNoteClose(note));

    char text[16] = {'#'};
    BLOCKID item{};
    BOOL sealed = TRUE;
    EXPECT_EQ(ERR_INVALID_HANDLE, NSFNoteClose(note)) << "closed twice";
    EXPECT_EQ(ERR_INVALID_HANDLE, NSFItemInfo(note, "Subject", 7, &item, nullptr, nullptr, nullptr));
    EXPECT_EQ(0u, NSFItemGetText(note, "Subject", text, sizeof(text)));
    EXPECT_EQ('\0', text[0]);
    EXPECT_FALSE(NSFNoteIsSignedOrSealed(note, nullptr, &sealed));
    EXPECT_FALSE(sealed);
    DHANDLE compound = 1;
    EXPECT_EQ(ERR_BAD_PARAMETER, CompoundTextCreate(note, "Body", &compound));
    EXPECT_EQ(0u, compound);

    DBHANDLE closed = OpenDb(L"db.nsf");
    ASSERT_EQ(NOERROR_STATUS, NSFDbClose(closed));
    EXPECT_EQ(ERR_INVALID_HANDLE, NSFDbClose(closed));
    EXPECT_EQ(ERR_INVALID_HANDLE, NSFNoteOpen(closed, memo_, 0, &note));
    DHANDLE table = 7;
    EXPECT_EQ(ERR_BAD_PARAMETER, NSFDbGetModifiedNoteTable(closed, NOTE_CLASS_DOCUMENT, TIMEDATE{}, nullptr, &table));
    EXPECT_EQ(0u, table);
    char info[NSF_INFO_SIZE];
    EXPECT_EQ(ERR_BAD_PARAMETER, NSFDbInfoGet(closed, info));
}

TEST_F(EdgeTest, MissingAndStubNoteIdsDoNotOpen)
{
    const struct {
        NOTEID id;
        STATUS expected;
    } cases[] = {
        {0, ERR_INVALID_NOTE},
        {memo_ + 0x1000, ERR_INVALID_NOTE},
        {stub_, ERR_NOTE_DELETED},
        {stub_ | RRV_DELETED, ERR_INVALID_NOTE},
        {memo_ | RRV_DELETED, ERR_INVALID_NOTE},
    };
    for (const auto& c : cases) {
        NOTEHANDLE note = 0;
        EXPECT_EQ(c.expected, NSFNoteOpenExt(db_, c.id, 0, &note)) << std::hex << c.id;
        if (note != 0) {
            NSFNoteClose(note);
        }
    }
}

TEST_F(EdgeTest, SmallBuffersGetWholeCharactersOnly)
{
    NOTEHANDLE note = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFNoteOpen(db_, memo_, 0, &note));
    char info[NSF_INFO_SIZE];
    ASSERT_EQ(NOERROR_STATUS, NSFDbInfoGet(db_, info));
    // Every size that ends inside the three-byte character gets "ab".
    const struct {
        WORD size;
        std::string expected;
    } cases[] = {{1, ""}, {2, "a"}, {3, "ab"}, {4, "ab"}, {5, "ab"}, {6, kCutText}, {40, kCutText}};
    for (const auto& c : cases) {
        char buffer[64];
        std::memset(buffer, '#', sizeof(buffer));
        EXPECT_EQ(c.expected.size(), NSFItemGetText(note, "Cut", buffer, c.size)) << c.size;
        EXPECT_EQ(c.expected, std::string(buffer)) << "item text, size " << c.size;
        std::memset(buffer, '#', sizeof(buffer));
        EXPECT_EQ(c.expected.size(), NSFItemConvertToText(note, "Cut", buffer, c.size, ';')) << c.size;
        EXPECT_EQ(c.expected, std::string(buffer)) << "converted text, size " << c.size;
        std::memset(buffer, '#', sizeof(buffer));
        EXPECT_TRUE(OSGetEnvironmentString("Greeting", buffer, c.size));
        EXPECT_EQ(c.expected, std::string(buffer)) << "environment, size " << c.size;
        std::memset(buffer, '#', sizeof(buffer));
        NSFDbInfoParse(info, INFOPARSE_TITLE, buffer, c.size);
        EXPECT_EQ(c.expected, std::string(buffer)) << "title, size " << c.size;
        EXPECT_EQ('#', buffer[c.size]) << "nothing written past the size given";
    }
    char untouched[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(0u, NSFItemGetText(note, "Cut", nullptr, 10));
    EXPECT_EQ(0u, NSFItemGetText(note, "Cut", untouched, 0));
    EXPECT_EQ('#', untouched[0]);
    EXPECT_EQ(0u, NSFItemGetText(note, "NoSuchItem", untouched, sizeof(untouched)));
    EXPECT_EQ('\0', untouched[0]);
    EXPECT_FALSE(OSGetEnvironmentString("NoSuchEntry", untouched, sizeof(untouched)));
    NSFNoteClose(note);
}

TEST_F(EdgeTest, InfoParseOfPartsThatAreNotThere)
{
    char info[NSF_INFO_SIZE];
    std::memset(info, 'x', sizeof(info)); // no NUL and no line end at all
    char buffer[8] = {'#'};
    NSFDbInfoParse(info, INFOPARSE_CATEGORIES, buffer, sizeof(buffer));
    EXPECT_STREQ("", buffer);
    NSFDbInfoParse(info, INFOPARSE_TITLE, buffer, sizeof(buffer));
    EXPECT_STREQ("xxxxxxx", buffer);
    char parts[] = "Title\nCats\n#1Mail";
    NSFDbInfoParse(parts, INFOPARSE_CLASS, buffer, sizeof(buffer));
    EXPECT_STREQ("Mail", buffer);
    NSFDbInfoParse(parts, INFOPARSE_DESIGN_CLASS, buffer, sizeof(buffer));
    EXPECT_STREQ("", buffer);
}

TEST_F(EdgeTest, LookupsOfMissingNamesFindNothing)
{
    NOTEID id = 5;
    EXPECT_EQ(ERR_NOT_FOUND, NIFFindDesignNote(db_, "No Such Form", NOTE_CLASS_FORM, &id));
    EXPECT_EQ(0u, id);
    id = 5;
    EXPECT_EQ(ERR_NOT_FOUND, NIFFindPrivateDesignNote(db_, "No Such View", 0, &id));
    EXPECT_EQ(0u, id);
    NOTEHANDLE profile = 5;
    EXPECT_EQ(ERR_NOT_FOUND, NSFProfileOpen(db_, "Missing", 7, nullptr, 0, FALSE, &profile));
    EXPECT_EQ(0u, profile);
    EXPECT_EQ(ERR_BAD_PARAMETER, NSFProfileOpen(db_, nullptr, 0, nullptr, 0, FALSE, &profile));
}

TEST_F(EdgeTest, IdScanStopsAtTheEndAndStartsAgainOnFirst)
{
    DHANDLE table = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFDbGetModifiedNoteTable(db_, NOTE_CLASS_DOCUMENT, TIMEDATE{}, nullptr, &table));
    DWORD id = 0;
    ASSERT_TRUE(IDScan(table, TRUE, &id));
    EXPECT_EQ(memo_, id);
    for (NOTEID expected : damaged_) {
        ASSERT_TRUE(IDScan(table, FALSE, &id));
        EXPECT_EQ(expected, id);
    }
    EXPECT_FALSE(IDScan(table, FALSE, &id)) << "the stub is not listed from the minimum time";
    EXPECT_FALSE(IDScan(table, FALSE, &id)) << "the end stays the end";
    ASSERT_TRUE(IDScan(table, TRUE, &id));
    EXPECT_EQ(memo_, id);
    EXPECT_FALSE(IDScan(table, TRUE, nullptr));
    ASSERT_EQ(NOERROR_STATUS, IDDestroyTable(table));
    EXPECT_FALSE(IDScan(table, TRUE, &id)) << "used after it was destroyed";
    EXPECT_EQ(ERR_INVALID_HANDLE, IDDestroyTable(table));
}

TEST_F(EdgeTest, ExtractToAnUnwritablePathFailsAndLeavesNothing)
{
    NOTEHANDLE note = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFNoteOpen(db_, memo_, 0, &note));
    BLOCKID item{};
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "$FILE", 5, &item, nullptr, nullptr, nullptr));
    const std::string missingFolder = NarrowPath(L"no-such-folder\\out.pdf");
    EXPECT_EQ(ERR_FILE_WRITE, NSFNoteExtractFile(note, item, missingFolder.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(Path(L"taken").c_str(), nullptr));
    EXPECT_EQ(ERR_FILE_WRITE, NSFNoteExtractFile(note, item, NarrowPath(L"taken").c_str(), nullptr))
        << "a folder stands where the file would go";
    EXPECT_EQ(ERR_BAD_PARAMETER, NSFNoteExtractFile(note, BLOCKID{note, 999}, NarrowPath(L"x").c_str(), nullptr));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Path(L"x").c_str()));
    EXPECT_EQ(ERR_ITEM_NOT_FOUND, NSFItemCDToFile(note, "NoSuchItem", NarrowPath(L"y").c_str()));
    EXPECT_EQ(ERR_FILE_WRITE, NSFItemCDToFile(note, "Body", missingFolder.c_str()));
    NSFNoteClose(note);
}

TEST_F(EdgeTest, DamagedRichTextStopsTheWalkWithAnError)
{
    for (size_t i = 0; i < damaged_.size(); ++i) {
        NOTEHANDLE note = 0;
        ASSERT_EQ(NOERROR_STATUS, NSFNoteOpen(db_, damaged_[i], 0, &note));
        BLOCKID value{};
        DWORD length = 0;
        ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "Body", 4, nullptr, nullptr, &value, &length));
        int seen = 0;
        EXPECT_EQ(ERR_DATABASE_DAMAGED, EnumCompositeBuffer(value, length, CountRecords, &seen)) << i;
        EXPECT_EQ(1, seen) << "the paragraph before the damage is still handed out, case " << i;
        EXPECT_EQ(ERR_BAD_PARAMETER, EnumCompositeBuffer(value, length + 1, CountRecords, &seen))
            << "a length past the value";

        DHANDLE compound = 0;
        ASSERT_EQ(NOERROR_STATUS, CompoundTextCreate(note, "Copy", &compound));
        const BYTE* bytes = static_cast<const BYTE*>(OSLockObject(value.pool)) + value.block;
        EXPECT_EQ(ERR_BAD_PARAMETER, CompoundTextAddCDRecords(compound, const_cast<BYTE*>(bytes) + 2, length - 2))
            << "the builder takes no damaged records";
        OSUnlockObject(value.pool);
        CompoundTextDiscard(compound);
        NSFNoteClose(note);
        EXPECT_EQ(ERR_BAD_PARAMETER, EnumCompositeBuffer(value, length, CountRecords, &seen))
            << "the value of a closed note";
    }
}

TEST_F(EdgeTest, ToolRefusesBadCommandLinesAndBadDxlWritingNothing)
{
    const std::string broken = "<?xml version='1.0'?><database><document><item name='a'>";
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"bad.dxl"), std::vector<BYTE>(broken.begin(), broken.end())));
    const std::wstring target = brwtest::Quoted(Path(L"out.nsf"));
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        const char* message;
    } cases[] = {
        {L"", 2, "usage:"},
        {L"frobnicate " + target, 2, "usage:"},
        {L"import " + brwtest::Quoted(Path(L"bad.dxl")), 1, "import needs a DXL file"},
        {L"import " + brwtest::Quoted(Path(L"bad.dxl")) + L" " + target, 1, "import failed"},
        {L"import " + brwtest::Quoted(Path(L"missing.dxl")) + L" " + target, 1, "import failed"},
        {L"newdb", 1, "newdb needs a database path"},
    };
    for (const auto& c : cases) {
        brwtest::ProcessSpec launch;
        launch.commandLine = brwtest::Quoted(brwtest::ThisProgramFolder() + L"\\notesdb.exe") + L" " + c.arguments;
        brwtest::RunningProcess process(launch);
        const brwtest::ProcessResult result = process.Wait(60000);
        ASSERT_TRUE(result.started);
        EXPECT_EQ(c.exitCode, result.exitCode) << result.output;
        EXPECT_NE(std::string::npos, result.output.find(c.message)) << result.output;
        EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Path(L"out.nsf").c_str())) << result.output;
    }
}

TEST(NotesEdges, TimeTextRoundTripsAndMalformedTextIsRefused)
{
    const TIMEDATE times[] = {timedate::FromUtcParts(2024, 2, 29, 23, 59, 59, 0, 0, false),
                              timedate::FromUtcParts(2000, 1, 1, 0, 0, 0, 0, 0, false),
                              timedate::FromUtcParts(1970, 12, 31, 12, 0, 0, 0, 0, false)};
    for (const TIMEDATE& t : times) {
        char text[81];
        WORD length = 0;
        ASSERT_EQ(NOERROR_STATUS, ConvertTIMEDATEToText(nullptr, nullptr, &t, text, sizeof(text), &length));
        char* cursor = text;
        TIMEDATE back{};
        ASSERT_EQ(NOERROR_STATUS, ConvertTextToTIMEDATE(nullptr, nullptr, &cursor, length, &back)) << text;
        EXPECT_EQ(timedate::Ticks(t), timedate::Ticks(back)) << text;
    }
    for (std::string bad :
         {std::string(), std::string("   "), std::string("abc"), std::string("13/45/2024 10:00:00")}) {
        bad.push_back('\0');
        char* cursor = bad.data();
        TIMEDATE untouched{{1, 2}};
        EXPECT_NE(NOERROR_STATUS, ConvertTextToTIMEDATE(nullptr, nullptr, &cursor, WORD(bad.size() - 1), &untouched))
            << bad;
        EXPECT_EQ(bad.data(), cursor) << bad;
        EXPECT_EQ(1u, untouched.Innards[0]) << bad;
    }
    const TIMEDATE t = times[0];
    EXPECT_EQ(ERR_BAD_PARAMETER, ConvertTIMEDATEToText(nullptr, nullptr, &t, nullptr, 10, nullptr));
    char one[1] = {'#'};
    EXPECT_EQ(ERR_BAD_PARAMETER, ConvertTIMEDATEToText(nullptr, nullptr, &t, one, 0, nullptr));
    EXPECT_EQ('#', one[0]);
    EXPECT_EQ(ERR_BAD_PARAMETER, ConvertTextToTIMEDATE(nullptr, nullptr, nullptr, 5, nullptr));
}

TEST(NotesEdges, OdsReadAndStatusTextsAtTheirEdges)
{
    const TIMEDATE source[2] = {{{1, 2}}, {{3, 4}}};
    void* cursor = const_cast<TIMEDATE*>(source);
    TIMEDATE read[2] = {};
    ODSReadMemory(&cursor, _TIMEDATE, read, 2);
    EXPECT_EQ(4u, read[1].Innards[1]);
    EXPECT_EQ(static_cast<const void*>(source + 2), cursor);
    cursor = const_cast<TIMEDATE*>(source);
    TIMEDATE untouched{{9, 9}};
    ODSReadMemory(&cursor, 0x7FFF, &untouched, 1);
    EXPECT_EQ(static_cast<const void*>(source), cursor) << "an unknown type reads nothing";
    EXPECT_EQ(9u, untouched.Innards[0]);

    char text[64] = {'#'};
    EXPECT_LT(0u, OSLoadString(nullptr, 0x3FFE, text, sizeof(text)));
    EXPECT_STREQ("Unknown error", text);
    char small[1] = {'#'};
    EXPECT_EQ(0u, OSLoadString(nullptr, ERR_INVALID_HANDLE, small, sizeof(small)));
    EXPECT_EQ('\0', small[0]);
}
