// Databases, the data directory, directory searches, modified-note tables.
#include "platform/notes/Lmbcs.h"
#include "platform/notes/TimeDate.h"
#include "platform/notes/Values.h"
#include "platform/notes/tests/NotesFixture.h"

#include <cstring>
#include <map>

namespace {

struct SummaryEntries {
    std::vector<std::map<std::string, std::string>> entries;
};

// Reads a summary buffer exactly as the product does: the table, the ITEM
// array, then name and value item by item.
STATUS LNCALLBACK CollectSummary(void* context, SEARCH_MATCH*, ITEM_TABLE* summary)
{
    auto* out = static_cast<SummaryEntries*>(context);
    const BYTE* base = reinterpret_cast<const BYTE*>(summary);
    ITEM_TABLE table;
    std::memcpy(&table, base, sizeof(table));
    const BYTE* p = base + sizeof(ITEM_TABLE) + table.Items * sizeof(ITEM);
    std::map<std::string, std::string> entry;
    for (USHORT i = 0; i < table.Items; ++i) {
        ITEM item;
        std::memcpy(&item, base + sizeof(ITEM_TABLE) + i * sizeof(ITEM), sizeof(item));
        std::string name(reinterpret_cast<const char*>(p), item.NameLength);
        WORD type;
        std::memcpy(&type, p + item.NameLength, 2);
        if (type == TYPE_TEXT) {
            entry[name] = std::string(reinterpret_cast<const char*>(p + item.NameLength + 2), item.ValueLength - 2u);
        } else {
            entry[name] = "<type " + std::to_string(type) + ">";
        }
        p += item.NameLength + item.ValueLength;
    }
    EXPECT_EQ(table.Length, static_cast<USHORT>(p - base));
    out->entries.push_back(entry);
    return NOERROR_STATUS;
}

std::vector<DWORD> ModifiedIds(DBHANDLE db, const TIMEDATE& since, TIMEDATE* until = nullptr)
{
    DHANDLE table = 0;
    TIMEDATE u{};
    EXPECT_EQ(NOERROR_STATUS, NSFDbGetModifiedNoteTable(db, NOTE_CLASS_DOCUMENT, since, &u, &table));
    std::vector<DWORD> ids;
    DWORD id = 0;
    for (BOOL first = TRUE; IDScan(table, first, &id); first = FALSE) {
        ids.push_back(id);
    }
    EXPECT_EQ(NOERROR_STATUS, IDDestroyTable(table));
    if (until != nullptr) {
        *until = u;
    }
    return ids;
}

} // namespace

TEST_F(NotesTest, OpenReportsInfoTitleReplicaAndPaths)
{
    CreateDirectoryW(Path(L"mail").c_str(), nullptr);
    WriteDb(L"mail\\sample.nsf", SampleDb());
    StartNotes();
    DBHANDLE db = 0;
    TIMEDATE data{};
    TIMEDATE other{};
    ASSERT_EQ(NOERROR_STATUS, NSFDbOpenExtended("mail\\sample.nsf", 0, 0, nullptr, &db, &data, &other));
    EXPECT_EQ(SampleDb().info.dataModified.Innards[1], data.Innards[1]);

    char info[NSF_INFO_SIZE] = {};
    ASSERT_EQ(NOERROR_STATUS, NSFDbInfoGet(db, info));
    char title[128];
    NSFDbInfoParse(info, INFOPARSE_TITLE, title, 127);
    EXPECT_STREQ("Sample Mail", title);
    char shortTitle[5];
    NSFDbInfoParse(info, INFOPARSE_TITLE, shortTitle, sizeof(shortTitle));
    EXPECT_STREQ("Samp", shortTitle);

    DBREPLICAINFO replica{};
    ASSERT_EQ(NOERROR_STATUS, NSFDbReplicaInfoGet(db, &replica));
    EXPECT_EQ(0xC12585B4u, replica.ID.Innards[1]);
    EXPECT_EQ(0x004B6231u, replica.ID.Innards[0]);

    char canonical[MAXPATH];
    char expanded[MAXPATH];
    ASSERT_EQ(NOERROR_STATUS, NSFDbPathGet(db, canonical, expanded));
    EXPECT_STREQ("mail\\sample.nsf", canonical);
    EXPECT_EQ(NarrowPath(L"mail\\sample.nsf"), expanded);
    EXPECT_EQ(NOERROR_STATUS, NSFDbClose(db));
    EXPECT_NE(NOERROR_STATUS, NSFDbClose(db)) << "a closed handle is no longer valid";

    DBHANDLE dir = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFDbOpen(lmbcs::FromWide(dataDir_).c_str(), &dir));
    char found[257];
    ASSERT_EQ(NOERROR_STATUS, NSFDbLocateByReplicaID(dir, &replica.ID, found, sizeof(found)));
    EXPECT_STREQ("mail\\sample.nsf", found);
    DBID missing{{1, 2}};
    EXPECT_NE(NOERROR_STATUS, NSFDbLocateByReplicaID(dir, &missing, found, sizeof(found)));
    NSFDbClose(dir);
}

TEST_F(NotesTest, EnvironmentComesFromNotesIni)
{
    StartNotes("KeyFilename=user.id\r\nMailFile=mail\\jdoe.nsf\r\n");
    char buffer[256];
    ASSERT_TRUE(OSGetEnvironmentString("Directory", buffer, 256));
    EXPECT_EQ(lmbcs::FromWide(dataDir_), buffer);
    ASSERT_TRUE(OSGetEnvironmentString("mailfile", buffer, 256)) << "names are case-insensitive";
    EXPECT_STREQ("mail\\jdoe.nsf", buffer);
    char tiny[5];
    ASSERT_TRUE(OSGetEnvironmentString("MailFile", tiny, sizeof(tiny)));
    EXPECT_STREQ("mail", tiny);
    EXPECT_FALSE(OSGetEnvironmentString("NoSuchSetting", buffer, 256));
    EXPECT_STREQ("", buffer);
}

TEST_F(NotesTest, DamagedOrMissingFilesFailTheOpen)
{
    StartNotes();
    DBHANDLE db = 0;
    EXPECT_EQ(ERR_NOEXIST, ERR(NSFDbOpen("absent.nsf", &db)));
    EXPECT_EQ(0u, db);

    const std::vector<BYTE> good = nsf::Serialize(SampleDb());
    // Every truncation and a flipped length must fail cleanly, never crash.
    for (size_t cut : {size_t(0), size_t(10), size_t(63), size_t(64), good.size() / 2, good.size() - 1}) {
        std::vector<BYTE> bad(good.begin(), good.begin() + static_cast<long>(cut));
        ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"bad.nsf"), bad));
        EXPECT_NE(NOERROR_STATUS, NSFDbOpen("bad.nsf", &db)) << "cut at " << cut;
    }
    std::vector<BYTE> corrupt = good;
    corrupt[64 + corrupt[52] + 0] = 0xFF; // the first note's record length
    corrupt[64 + corrupt[52] + 3] = 0x7F;
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"bad.nsf"), corrupt));
    EXPECT_EQ(ERR_DATABASE_DAMAGED, NSFDbOpen("bad.nsf", &db));
    // Damage inside a note's items shows when that note is read.
    std::vector<BYTE> itemDamage = good;
    const size_t firstItem = 64 + good[52] + 60;
    itemDamage[firstItem + 4] = 0xFF; // the first item's value length
    itemDamage[firstItem + 6] = 0xFF;
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"items.nsf"), itemDamage));
    ASSERT_EQ(NOERROR_STATUS, NSFDbOpen("items.nsf", &db));
    NOTEHANDLE note = 0;
    EXPECT_EQ(ERR_DATABASE_DAMAGED, NSFNoteOpen(db, SampleDb().notes[0].id, 0, &note));
    NOTEID id = 0;
    EXPECT_EQ(ERR_NOT_FOUND, ERR(NIFFindDesignNote(db, "Memo", NOTE_CLASS_ALL, &id)));
    NSFDbClose(db);
    std::vector<BYTE> text = {'n', 'o', 't', ' ', 'a', ' ', 'd', 'b'};
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"text.nsf"), text));
    EXPECT_EQ(ERR_NOT_A_DATABASE, NSFDbOpen("text.nsf", &db));
}

TEST_F(NotesTest, DirectorySearchListsEveryDatabaseWithItsSummary)
{
    CreateDirectoryW(Path(L"mail").c_str(), nullptr);
    CreateDirectoryW(Path(L"mail\\old").c_str(), nullptr);
    WriteDb(L"mail\\sample.nsf", SampleDb());
    nsf::DbData other = SampleDb();
    other.info.title = "Old \x14\x01\x0A mail"; // U+010A in the title
    WriteDb(L"mail\\old\\archive.nsf", other);
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"broken.nsf"), {1, 2, 3}));
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"notes.txt"), {1, 2, 3}));
    StartNotes();
    char directory[256];
    ASSERT_TRUE(OSGetEnvironmentString("Directory", directory, 255));
    DBHANDLE dir = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFDbOpen(directory, &dir));
    SummaryEntries found;
    ASSERT_EQ(NOERROR_STATUS, NSFSearch(dir, 0, nullptr, 0x0006, 0x6004, nullptr, CollectSummary, &found, nullptr));
    NSFDbClose(dir);
    ASSERT_EQ(2u, found.entries.size()) << "the damaged file and the text file are not listed";
    EXPECT_EQ("mail\\old\\archive.nsf", found.entries[0]["$Path"]);
    EXPECT_EQ(other.info.title, found.entries[0]["$TITLE"]);
    EXPECT_EQ("mail\\sample.nsf", found.entries[1]["$Path"]);
    EXPECT_EQ("Sample Mail", found.entries[1]["$TITLE"]);
    EXPECT_EQ("$NOTEFILE", found.entries[1]["$type"]);
    EXPECT_EQ(0u, found.entries[1]["$Info"].find("Sample Mail\n"));
}

TEST_F(NotesTest, ModifiedTablesReportChangesStubsAndTheUntilTime)
{
    nsf::DbData data = SampleDb();
    AddDocument(data, "second");
    nsf::NoteData& gone = AddDocument(data, "deleted");
    gone.flags = nsf::kNoteDeleted;
    gone.items.clear();
    gone.modified = timedate::FromUtcParts(2024, 6, 1, 0, 0, 0, 0, 0, false);
    nsf::NoteData& form = data.AddNote();
    form.noteClass = NOTE_CLASS_FORM;
    form.items.push_back(nsf::ItemData{"$TITLE", 0, values::Text("Memo"), {}});
    WriteDb(L"db.nsf", data);
    StartNotes();
    DBHANDLE db = OpenDb(L"db.nsf");

    TIMEDATE minimum;
    TimeConstant(TIMEDATE_MINIMUM, &minimum);
    TIMEDATE until{};
    const std::vector<DWORD> all = ModifiedIds(db, minimum, &until);
    EXPECT_EQ((std::vector<DWORD>{data.notes[0].id, data.notes[1].id}), all)
        << "from the earliest time: live documents only, no design notes";
    EXPECT_GT(timedate::Compare(until, data.notes[0].modified), 0);

    const TIMEDATE may = timedate::FromUtcParts(2024, 5, 1, 0, 0, 0, 0, 0, false);
    EXPECT_EQ((std::vector<DWORD>{gone.id | RRV_DELETED}), ModifiedIds(db, may)) << "a stub has the top bit";
    EXPECT_TRUE(ModifiedIds(db, until).empty());

    NOTEHANDLE note = 0;
    EXPECT_EQ(ERR_NOTE_DELETED, NSFNoteOpen(db, gone.id, 0, &note));
    EXPECT_EQ(ERR_INVALID_NOTE, NSFNoteOpen(db, 0x12344, 0, &note));
    EXPECT_EQ(0u, note);

    DWORD id = 0;
    EXPECT_FALSE(IDScan(0xDEAD, TRUE, &id));
    EXPECT_NE(NOERROR_STATUS, IDDestroyTable(0xDEAD));
    NSFDbClose(db);
}

TEST_F(NotesTest, AnOpenDatabaseSeesItsFileReplaced)
{
    nsf::DbData data = SampleDb();
    WriteDb(L"db.nsf", data);
    StartNotes();
    DBHANDLE first = OpenDb(L"db.nsf");
    TIMEDATE minimum{};
    ASSERT_EQ(1u, ModifiedIds(first, minimum).size());
    AddDocument(data, "added later");
    data.info.dataModified.Innards[0] += 1;
    WriteDb(L"db.nsf", data);
    // Replacing the file changes its size and time; make sure the time moves
    // even on a coarse clock.
    FILETIME later;
    GetSystemTimeAsFileTime(&later);
    later.dwHighDateTime += 1;
    HANDLE f = CreateFileW(Path(L"db.nsf").c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    SetFileTime(f, nullptr, nullptr, &later);
    CloseHandle(f);
    EXPECT_EQ(2u, ModifiedIds(first, minimum).size()) << "the table of an open handle follows the file";
    DBHANDLE second = OpenDb(L"db.nsf");
    EXPECT_EQ(2u, ModifiedIds(second, minimum).size());
    NSFDbClose(first);
    NSFDbClose(second);
}
