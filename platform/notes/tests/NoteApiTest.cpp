// Notes and items, text conversion, attachments, design notes, profiles,
// @MailDbName, the compound-text builder and threads.
#include "platform/notes/CdRecords.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/TimeDate.h"
#include "platform/notes/Values.h"
#include "platform/notes/tests/NotesFixture.h"

#include <cstring>
#include <thread>

namespace {

struct Walked {
    std::string name;
    WORD type;
    DWORD length;
};

std::vector<Walked> WalkItems(NOTEHANDLE note)
{
    std::vector<Walked> items;
    BLOCKID item{};
    BLOCKID value{};
    WORD type = 0;
    DWORD length = 0;
    STATUS status = NSFItemInfo(note, nullptr, 0, &item, &type, &value, &length);
    while (status == NOERROR_STATUS) {
        char name[130];
        WORD nameLength = 0;
        NSFItemQuery(note, item, name, sizeof(name), &nameLength, nullptr, nullptr, nullptr, nullptr);
        items.push_back(Walked{std::string(name, nameLength), type, length});
        status = NSFItemInfoNext(note, item, nullptr, 0, &item, &type, &value, &length);
    }
    EXPECT_EQ(ERR_ITEM_NOT_FOUND, ERR(status)) << "the walk ends on 546";
    return items;
}

std::string Converted(NOTEHANDLE note, const char* itemName, const char* delimiter, WORD lineLength)
{
    BLOCKID item{};
    BLOCKID value{};
    WORD type = 0;
    DWORD length = 0;
    EXPECT_EQ(NOERROR_STATUS,
              NSFItemInfo(note, itemName, static_cast<WORD>(strlen(itemName)), &item, &type, &value, &length));
    DHANDLE buffer = 0;
    DWORD size = 0;
    EXPECT_EQ(NOERROR_STATUS, ConvertItemToText(value, length, delimiter, lineLength, &buffer, &size, FALSE));
    const char* text = static_cast<const char*>(OSLockObject(buffer));
    std::string result(text, size);
    OSUnlockObject(buffer);
    EXPECT_EQ(NOERROR_STATUS, OSMemFree(buffer));
    return result;
}

struct Seen {
    std::vector<WORD> signatures;
    std::string stored;
    std::string shown;
};

STATUS LNCALLBACK CollectRecords(char* record, WORD signature, DWORD recordLength, void* context)
{
    auto* s = static_cast<Seen*>(context);
    s->signatures.push_back(signature);
    if (signature == SIG_CD_HOTSPOTBEGIN) {
        CDHOTSPOTBEGIN h;
        std::memcpy(&h, record, sizeof(h));
        EXPECT_EQ(HOTSPOTREC_TYPE_FILE, h.Type);
        EXPECT_LE(sizeof(h) + h.DataLength, recordLength);
        s->stored = record + sizeof(h);
        s->shown = record + sizeof(h) + s->stored.size() + 1;
    }
    return NOERROR_STATUS;
}

class NoteTest : public NotesTest {
protected:
    void SetUp() override
    {
        NotesTest::SetUp();
        data_ = SampleDb();
    }
    void Open()
    {
        WriteDb(L"db.nsf", data_);
        StartNotes("MailServer=CN=Mail1/O=Acme\r\nMailFile=mail\\jdoe\r\n");
        db_ = OpenDb(L"db.nsf");
    }
    void TearDown() override
    {
        if (db_ != 0) {
            NSFDbClose(db_);
        }
        NotesTest::TearDown();
    }
    NOTEHANDLE OpenNote(NOTEID id)
    {
        NOTEHANDLE note = 0;
        EXPECT_EQ(NOERROR_STATUS, NSFNoteOpenExt(db_, id, 0, &note));
        return note;
    }
    nsf::DbData data_;
    DBHANDLE db_ = 0;
};

} // namespace

TEST_F(NoteTest, ItemWalkHeaderFieldsAndText)
{
    nsf::NoteData& memo = data_.notes[0];
    memo.items.push_back(nsf::ItemData{"Empty", 0, values::Raw(TYPE_TEXT, {}), {}});
    memo.items.push_back(nsf::ItemData{"NoRange", 0, values::TimeRange({}, {}), {}});
    memo.items.push_back(nsf::ItemData{"Long", 0, values::Text(std::string(2049, 'x')), {}});
    memo.items.push_back(nsf::ItemData{"Limit", 0, values::Text(std::string(2048, 'y')), {}});
    memo.oid.Sequence = 7;
    Open();
    NOTEHANDLE note = OpenNote(memo.id);
    const std::vector<Walked> items = WalkItems(note);
    ASSERT_EQ(memo.items.size(), items.size());
    EXPECT_EQ("Form", items[0].name);
    EXPECT_EQ(TYPE_TEXT_LIST, items[2].type);
    EXPECT_EQ(TYPE_COMPOSITE, items[4].type);
    EXPECT_EQ(TYPE_OBJECT, items[5].type);
    EXPECT_EQ(2u, items[6].length) << "a value of only its type word";
    EXPECT_EQ(6u, items[7].length) << "a time range with no entries is its header";
    EXPECT_EQ(2051u, items[8].length);
    EXPECT_EQ(2050u, items[9].length);

    NOTEID id = 0;
    NSFNoteGetInfo(note, _NOTE_ID, &id);
    EXPECT_EQ(memo.id, id);
    ORIGINATORID oid{};
    NSFNoteGetInfo(note, _NOTE_OID, &oid);
    EXPECT_EQ(7u, oid.Sequence);
    EXPECT_EQ(0, std::memcmp(&memo.oid.SequenceTime, &oid.SequenceTime, sizeof(TIMEDATE)));
    DBHANDLE db = 0;
    NSFNoteGetInfo(note, _NOTE_DB, &db);
    EXPECT_EQ(db_, db);

    char text[8];
    EXPECT_EQ(7u, NSFItemGetText(note, "Subject", text, sizeof(text)));
    EXPECT_STREQ("Quarter", text);
    char first[64];
    EXPECT_EQ(13u, NSFItemGetText(note, "SendTo", first, sizeof(first))) << "a list gives its first entry";
    EXPECT_EQ(0u, NSFItemGetText(note, "Missing", first, sizeof(first)));
    char list[64];
    EXPECT_EQ(27u, NSFItemConvertToText(note, "SendTo", list, sizeof(list), ' '));
    EXPECT_STREQ("CN=A B/O=Acme CN=C D/O=Acme", list);

    BLOCKID item{};
    WORD type = 0;
    EXPECT_EQ(ERR_ITEM_NOT_FOUND, NSFItemInfo(note, "Missing", 7, &item, &type, nullptr, nullptr));
    EXPECT_FALSE(NSFNoteIsSignedOrSealed(note, nullptr, nullptr));
    EXPECT_EQ(NOERROR_STATUS, NSFNoteClose(note));
    EXPECT_NE(NOERROR_STATUS, NSFNoteClose(note));
    EXPECT_EQ(ERR_INVALID_HANDLE, NSFItemInfo(note, nullptr, 0, &item, &type, nullptr, nullptr));
}

TEST_F(NoteTest, EncryptedNotesSayTheyAreSealed)
{
    data_.notes[0].flags = nsf::kNoteEncrypted;
    Open();
    NOTEHANDLE note = OpenNote(data_.notes[0].id);
    BOOL sealed = FALSE;
    EXPECT_TRUE(NSFNoteIsSignedOrSealed(note, nullptr, &sealed));
    EXPECT_TRUE(sealed);
    NSFNoteClose(note);
}

TEST_F(NoteTest, RichTextRecordsAndPlainText)
{
    Open();
    NOTEHANDLE note = OpenNote(data_.notes[0].id);
    EXPECT_EQ("Hello world  Bold part", Converted(note, "Body", "  ", 80));
    EXPECT_EQ("Quarterly\r\nreport", Converted(note, "Subject", "\r\n", 10)) << "lines wrap at a blank";

    BLOCKID item{};
    BLOCKID value{};
    WORD type = 0;
    DWORD length = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "Body", 4, &item, &type, &value, &length));
    Seen seen;
    ASSERT_EQ(NOERROR_STATUS, EnumCompositeBuffer(value, length, CollectRecords, &seen));
    EXPECT_EQ((std::vector<WORD>{SIG_CD_PABDEFINITION, SIG_CD_PARAGRAPH, SIG_CD_TEXT, SIG_CD_PARAGRAPH, SIG_CD_TEXT,
                                 SIG_CD_HOTSPOTBEGIN, SIG_CD_HOTSPOTEND}),
              seen.signatures);
    EXPECT_EQ("report.pdf", seen.stored);
    EXPECT_EQ("Report Final.pdf", seen.shown);
    BLOCKID bogus{0xFFFF, 0};
    EXPECT_NE(NOERROR_STATUS, EnumCompositeBuffer(bogus, length, nullptr, nullptr));
    EXPECT_NE(NOERROR_STATUS, EnumCompositeBuffer(value, length + 1, nullptr, nullptr)) << "longer than the value";
    NSFNoteClose(note);
}

TEST_F(NoteTest, LargeRichTextConvertsWhole)
{
    std::vector<BYTE> body;
    cd::AppendParagraph(body);
    std::string big;
    while (big.size() < 50000) {
        big += "word ";
    }
    big.resize(50000);
    cd::AppendText(body, big);
    data_.notes[0].items.push_back(nsf::ItemData{"Big", 0, values::RichText(body), {}});
    Open();
    NOTEHANDLE note = OpenNote(data_.notes[0].id);
    const std::string text = Converted(note, "Big", "  ", 80);
    std::string unwrapped;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "  ") == 0) {
            unwrapped += ' ';
            ++i;
        } else {
            unwrapped += text[i];
        }
    }
    EXPECT_EQ(big.substr(0, 49995), unwrapped.substr(0, 49995));
    NSFNoteClose(note);
}

TEST_F(NoteTest, AttachmentsExtractAndOtherObjectsDoNot)
{
    nsf::NoteData& memo = data_.notes[0];
    memo.items.insert(
        memo.items.begin() + 1,
        nsf::ItemData{"$FILE", 0, values::FileObject("ole", 0, memo.modified, memo.modified, 0x0010), {}});
    Open();
    NOTEHANDLE note = OpenNote(memo.id);
    BLOCKID item{};
    BLOCKID value{};
    WORD type = 0;
    DWORD length = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfo(note, "$FILE", 5, &item, &type, &value, &length));
    const std::string target = NarrowPath(L"out.bin");
    EXPECT_EQ(ERR_NOTE_NOT_OBJECT, NSFNoteExtractFile(note, item, target.c_str(), nullptr)) << "not a file";
    ASSERT_EQ(NOERROR_STATUS, NSFItemInfoNext(note, item, "$FILE", 5, &item, &type, &value, &length));
    FILEOBJECT object;
    std::memcpy(&object, static_cast<BYTE*>(OSLockObject(value.pool)) + value.block + 2, sizeof(object));
    EXPECT_EQ(8u, object.FileSize);
    EXPECT_EQ(NOERROR_STATUS, NSFNoteExtractFile(note, item, target.c_str(), nullptr));
    std::vector<BYTE> bytes;
    ASSERT_TRUE(nsf::ReadWholeFile(Path(L"out.bin"), bytes));
    EXPECT_EQ(memo.items.back().object, bytes);
    NSFNoteClose(note);
}

TEST_F(NoteTest, DesignNotesAndProfiles)
{
    nsf::NoteData& inbox = data_.AddNote();
    inbox.noteClass = NOTE_CLASS_VIEW;
    inbox.items.push_back(nsf::ItemData{"$TITLE", 0, values::Text("($Inbox)|$Inbox"), {}});
    const NOTEID inboxId = inbox.id;
    nsf::NoteData& profile = data_.AddNote();
    profile.flags = nsf::kNoteProfile;
    profile.items.push_back(nsf::ItemData{"$Name", 0, values::Text("$profile_015calendarprofile_"), {}});
    profile.items.push_back(nsf::ItemData{"Owner", 0, values::Text("CN=Jane Doe/O=Acme"), {}});
    Open();
    NOTEID id = 0;
    EXPECT_EQ(NOERROR_STATUS, NIFFindDesignNoteExt(db_, "($Inbox)", NOTE_CLASS_VIEW, "-G40n^", &id, 0));
    EXPECT_EQ(inboxId, id);
    EXPECT_EQ(NOERROR_STATUS, NIFFindDesignNote(db_, "$inbox", NOTE_CLASS_ALL, &id)) << "an alias matches too";
    EXPECT_EQ(ERR_NOT_FOUND, ERR(NIFFindDesignNote(db_, "($Drafts)", NOTE_CLASS_ALL, &id)));
    EXPECT_EQ(ERR_NOT_FOUND, ERR(NIFFindDesignNote(db_, "($Inbox)", NOTE_CLASS_FORM, &id)));

    NOTEHANDLE note = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFProfileOpen(db_, "CalendarProfile", 15, nullptr, 0, TRUE, &note));
    char owner[64];
    EXPECT_LT(0, NSFItemGetText(note, "Owner", owner, sizeof(owner)));
    EXPECT_STREQ("CN=Jane Doe/O=Acme", owner);
    NSFNoteClose(note);
    EXPECT_EQ(ERR_NOT_FOUND, ERR(NSFProfileOpen(db_, "OtherProfile", 12, nullptr, 0, TRUE, &note)));

    TIMEDATE minimum{};
    DHANDLE table = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFDbGetModifiedNoteTable(db_, NOTE_CLASS_DOCUMENT, minimum, nullptr, &table));
    DWORD scanned = 0;
    int count = 0;
    for (BOOL first = TRUE; IDScan(table, first, &scanned); first = FALSE) {
        ++count;
    }
    EXPECT_EQ(1, count) << "profiles are not documents of the table";
    IDDestroyTable(table);
}

TEST_F(NoteTest, MailDbNameGivesServerAndFile)
{
    Open();
    FORMULAHANDLE formula = 0;
    WORD formulaLength = 0;
    STATUS compileError = 0;
    WORD line = 0, column = 0, offset = 0, errLength = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFFormulaCompile(nullptr, 0, "@MailDbName", 11, &formula, &formulaLength, &compileError,
                                                &line, &column, &offset, &errLength));
    HCOMPUTE compute = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFComputeStart(0, OSLockObject(formula), &compute));
    DHANDLE result = 0;
    WORD resultLength = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFComputeEvaluate(compute, 0, &result, &resultLength, nullptr, nullptr, nullptr));
    const BYTE* value = static_cast<const BYTE*>(OSLockObject(result));
    WORD type;
    std::memcpy(&type, value, 2);
    EXPECT_EQ(TYPE_TEXT_LIST, type);
    EXPECT_EQ(std::string("CN=Mail1/O=Acme; mail\\jdoe.nsf"),
              std::string(reinterpret_cast<const char*>(value) + 8, resultLength - 8u).insert(15, "; "));
    OSMemFree(result);
    EXPECT_EQ(NOERROR_STATUS, NSFComputeStop(compute));
    OSMemFree(formula);
    EXPECT_EQ(ERR_FORMULA_COMPILATION, NSFFormulaCompile(nullptr, 0, "@Now", 4, &formula, nullptr, &compileError,
                                                         nullptr, nullptr, nullptr, nullptr));
}

TEST_F(NoteTest, BuilderRendersIntoANewNoteAndWritesRecords)
{
    nsf::NoteData& form = data_.AddNote();
    form.noteClass = NOTE_CLASS_FORM;
    form.items.push_back(nsf::ItemData{"$TITLE", 0, values::Text("Memo"), {}});
    form.items.push_back(nsf::ItemData{"$Fields", 0, values::TextList({"Subject", "Body"}), {}});
    Open();
    NOTEHANDLE doc = OpenNote(data_.notes[0].id);
    NOTEHANDLE scratch = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFNoteCreate(db_, &scratch));
    DHANDLE builder = 0;
    ASSERT_EQ(NOERROR_STATUS, CompoundTextCreate(scratch, "RenderField", &builder));
    ASSERT_EQ(NOERROR_STATUS, CompoundTextAddRenderedNote(builder, doc, 0, 0));
    ASSERT_EQ(NOERROR_STATUS, CompoundTextClose(builder, nullptr, nullptr, nullptr, 0));
    EXPECT_EQ("Subject: Quarterly report  Hello world  Bold part", Converted(scratch, "RenderField", "  ", 0))
        << "the form's fields, in its order";

    BYTE broken[] = {0x85, 0xFF, 0x40, 0x00};
    ASSERT_EQ(NOERROR_STATUS, CompoundTextCreate(scratch, "Filtered", &builder));
    EXPECT_NE(NOERROR_STATUS, CompoundTextAddCDRecords(builder, broken, sizeof(broken)));
    std::vector<BYTE> text;
    cd::AppendParagraph(text);
    cd::AppendText(text, "kept");
    ASSERT_EQ(NOERROR_STATUS, CompoundTextAddCDRecords(builder, text.data(), static_cast<DWORD>(text.size())));
    ASSERT_EQ(NOERROR_STATUS, CompoundTextClose(builder, nullptr, nullptr, nullptr, 0));
    const std::string file = NarrowPath(L"body.cd");
    ASSERT_EQ(NOERROR_STATUS, NSFItemCDToFile(scratch, "Filtered", file.c_str()));
    std::vector<BYTE> written;
    ASSERT_TRUE(nsf::ReadWholeFile(Path(L"body.cd"), written));
    EXPECT_EQ(text, written);
    EXPECT_EQ(ERR_ITEM_NOT_FOUND, NSFItemCDToFile(scratch, "Nothing", file.c_str()));
    CompoundTextDiscard(builder); // already closed: harmless
    NSFNoteClose(scratch);
    NSFNoteClose(doc);
}

TEST_F(NoteTest, TwoThreadsReadOneDatabaseAtOnce)
{
    for (int i = 0; i < 50; ++i) {
        AddDocument(data_, "note " + std::to_string(i));
    }
    Open();
    auto reader = [this](int* failures) {
        if (NotesInitThread() != NOERROR_STATUS) {
            ++*failures;
            return;
        }
        for (int round = 0; round < 20; ++round) {
            for (const nsf::NoteData& n : data_.notes) {
                NOTEHANDLE note = 0;
                if (NSFNoteOpen(db_, n.id, 0, &note) != NOERROR_STATUS) {
                    ++*failures;
                    continue;
                }
                char subject[64];
                if (NSFItemGetText(note, "Subject", subject, sizeof(subject)) == 0) {
                    ++*failures;
                }
                NSFNoteClose(note);
            }
        }
        NotesTermThread();
    };
    int failuresA = 0;
    int failuresB = 0;
    std::thread a(reader, &failuresA);
    std::thread b(reader, &failuresB);
    a.join();
    b.join();
    EXPECT_EQ(0, failuresA);
    EXPECT_EQ(0, failuresB);
}

TEST(NotesRuntime, ThreadsNeedTheProcessInitialised)
{
    EXPECT_EQ(ERR_NOTES_NOT_INITIALIZED, NotesInitThread());
    DBHANDLE db = 0;
    EXPECT_EQ(ERR_NOTES_NOT_INITIALIZED, NSFDbOpen("x.nsf", &db));
}

TEST(NotesRuntime, StatusTextsUseTheLow14Bits)
{
    char text[255];
    EXPECT_LT(0, OSLoadString(nullptr, ERR(ERR_ITEM_NOT_FOUND | STS_REMOTE), text, sizeof(text)));
    EXPECT_STREQ("Note item not found", text);
    OSLoadString(nullptr, ERR_NOT_FOUND, text, sizeof(text));
    EXPECT_STREQ("Entry not found in index", text);
    char small[5];
    EXPECT_EQ(4u, OSLoadString(nullptr, ERR_NOT_FOUND, small, sizeof(small)));
    EXPECT_STREQ("Entr", small);
}

TEST(NotesRuntime, EveryOrdinalTheProductImportsIsExportedByName)
{
    struct Export {
        WORD ordinal;
        const char* name;
    };
    static const Export kExports[] = {
        {13, "NotesTerm"},
        {15, "NotesInitExtended"},
        {16, "NotesInitThread"},
        {17, "NotesTermThread"},
        {143, "OSMemFree"},
        {182, "OSLockObject"},
        {183, "OSUnlockObject"},
        {223, "ConvertTextToTIMEDATE"},
        {224, "ConvertTIMEDATEToText"},
        {323, "IDScan"},
        {391, "OSTranslate"},
        {416, "OSGetEnvironmentString"},
        {435, "ODSReadMemory"},
        {441, "OSGetLMBCSCLS"},
        {451, "TimeConstant"},
        {531, "NLS_goto_prev"},
        {707, "OSLoadString"},
        {708, "OSGetIntlSettings"},
        {861, "IDDestroyTable"},
        {2001, "NSFDbClose"},
        {2005, "NSFDbOpen"},
        {2008, "NSFNoteClose"},
        {2009, "NSFNoteCreate"},
        {2040, "NSFFormulaCompile"},
        {2050, "NSFNoteGetInfo"},
        {2051, "NSFNoteSetInfo"},
        {2062, "NSFItemInfo"},
        {2073, "NSFNoteExtractFile"},
        {2086, "NSFDbInfoGet"},
        {2088, "NSFDbReplicaInfoGet"},
        {2100, "NSFDbInfoParse"},
        {2118, "NSFDbGetModifiedNoteTable"},
        {2124, "ConvertItemToText"},
        {2130, "NSFDbLocateByReplicaID"},
        {2133, "NSFDbOpenExtended"},
        {2145, "NSFNoteIsSignedOrSealed"},
        {2164, "NSFItemInfoNext"},
        {2177, "NSFItemGetText"},
        {2194, "NSFItemQuery"},
        {2195, "NSFSearch"},
        {2196, "NSFItemConvertToText"},
        {2258, "EnumCompositeBuffer"},
        {2259, "CompoundTextCreate"},
        {2260, "CompoundTextClose"},
        {2261, "CompoundTextDiscard"},
        {2412, "NSFComputeStart"},
        {2413, "NSFComputeStop"},
        {2429, "NSFComputeEvaluate"},
        {2441, "CompoundTextAddRenderedNote"},
        {2444, "CompoundTextAddCDRecords"},
        {2638, "NSFDbPathGet"},
        {2709, "NSFProfileOpen"},
        {2856, "NIFFindDesignNote"},
        {2878, "NIFFindPrivateDesignNote"},
        {2910, "NIFFindDesignNoteExt"},
        {3846, "NSFItemCDToFile"},
        {5799, "NSFNoteOpen"},
        {6331, "NSFNoteOpenExt"},
    };
    HMODULE module = GetModuleHandleW(L"nnotes.dll");
    ASSERT_NE(nullptr, module);
    for (const Export& e : kExports) {
        FARPROC byOrdinal = GetProcAddress(module, MAKEINTRESOURCEA(e.ordinal));
        EXPECT_NE(nullptr, byOrdinal) << e.ordinal;
        EXPECT_EQ(byOrdinal, GetProcAddress(module, e.name)) << e.name << " is not ordinal " << e.ordinal;
    }
}
