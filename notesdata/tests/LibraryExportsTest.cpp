// The functions the connector calls directly: a database's list columns,
// the forced opens that bring up the Notes password prompt early, and the
// user's mail server and file.
#include "notesdata/notes/DatabaseInfo.h"
#include "notesdata/notes/DbIterator.h"
#include "notesdata/notes/MailDbName.h"
#include "notesdata/tests/NotesDataFixture.h"
#include "notesdata/tests/NotesSandbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using brwtest::Quoted;

constexpr wchar_t kThirtyCharacterTitle[] = L"Quarterly planning, all teams!";
static_assert(sizeof(kThirtyCharacterTitle) / sizeof(wchar_t) == 31, "a 30-character title");

// ---- GetDatabaseInfo ------------------------------------------------------

class DatabaseInfo : public brwtest::NotesDataTest {
protected:
    struct Columns {
        bool opened = false;
        std::wstring title;
        std::wstring modified;
        BYTE isMail = 0xEE;
    };

    Columns Read(const std::wstring& path, int titleLength = 128, int modifiedLength = 128)
    {
        wchar_t title[128];
        wchar_t modified[128];
        Fill(title);
        Fill(modified);
        Columns columns;
        columns.opened =
            brw::ReadDatabaseInfo(path.c_str(), title, titleLength, modified, modifiedLength, &columns.isMail);
        columns.title.assign(title, wcsnlen(title, 128));
        columns.modified.assign(modified, wcsnlen(modified, 128));
        return columns;
    }

    // A recognisable pattern, so that an untouched buffer shows as one.
    static void Fill(wchar_t (&buffer)[128])
    {
        for (wchar_t& c : buffer) {
            c = L'#';
        }
        buffer[127] = L'\0';
    }

    void AddMailFolder(const std::wstring& database) { AddNote(database, L"--design \"($Inbox)\" --class 8"); }
};

TEST_F(DatabaseInfo, ATitleLongerThanTheBufferIsCut)
{
    NewDatabase(L"plans.nsf", L"--title \"" + std::wstring(kThirtyCharacterTitle) + L"\"");
    EXPECT_EQ(kThirtyCharacterTitle, Read(L"plans.nsf").title);
    const Columns cut = Read(L"plans.nsf", 10);
    EXPECT_TRUE(cut.opened);
    EXPECT_EQ(std::wstring(kThirtyCharacterTitle).substr(0, 9), cut.title);
    EXPECT_EQ(L"", Read(L"plans.nsf", 1).title) << "room for the NUL only";
}

TEST_F(DatabaseInfo, TheModifiedTimeIsBoundedLikeTheTitle)
{
    NewDatabase(L"plans.nsf", L"--title Plans");
    const std::wstring whole = Read(L"plans.nsf").modified;
    ASSERT_GT(whole.size(), 5u);
    EXPECT_NE(std::wstring::npos, whole.find_first_of(L"0123456789"));
    EXPECT_EQ(whole.substr(0, 4), Read(L"plans.nsf", 128, 5).modified);
}

TEST_F(DatabaseInfo, BuffersOfNoLengthAndAMissingMailByteAreLeftAlone)
{
    NewDatabase(L"plans.nsf", L"--title Plans");
    const Columns none = Read(L"plans.nsf", 0, -1);
    EXPECT_TRUE(none.opened);
    EXPECT_EQ(std::wstring(127, L'#'), none.title);
    EXPECT_EQ(std::wstring(127, L'#'), none.modified);
    EXPECT_TRUE(brw::ReadDatabaseInfo(DataPath(L"plans.nsf").c_str(), nullptr, 10, nullptr, 10, nullptr));
}

TEST_F(DatabaseInfo, AMissingOrUnusablePathOpensNothingAndWritesNothing)
{
    NewDatabase(L"plans.nsf", L"--title Plans");
    for (const std::wstring& path : {std::wstring(L"missing.nsf"), std::wstring(), std::wstring(2000, L'a')}) {
        const Columns columns = Read(path);
        EXPECT_FALSE(columns.opened) << path.size();
        EXPECT_EQ(std::wstring(127, L'#'), columns.title);
        EXPECT_EQ(0xEE, columns.isMail);
    }
    EXPECT_FALSE(brw::ReadDatabaseInfo(nullptr, nullptr, 0, nullptr, 0, nullptr));
}

TEST_F(DatabaseInfo, TheMailByteFollowsTheMailCheck)
{
    Notesdb(L"generate mail " + Quoted(DataPath(L"jdoe.nsf")) + L" --count 2");
    Notesdb(L"generate archive " + Quoted(DataPath(L"archive.nsf")) + L" --count 2");
    Notesdb(L"generate app " + Quoted(DataPath(L"discussion.nsf")) + L" --count 2");
    NewDatabase(L"plain.nsf");
    NewDatabase(L"folder.nsf");
    AddMailFolder(L"folder.nsf");
    EXPECT_EQ(1, Read(L"jdoe.nsf").isMail);
    EXPECT_EQ(1, Read(L"folder.nsf").isMail) << "an inbox folder alone makes a mail file";
    EXPECT_EQ(1, Read(L"archive.nsf").isMail) << "a calendar owner's database counts as mail";
    EXPECT_EQ(0, Read(L"discussion.nsf").isMail);
    EXPECT_EQ(0, Read(L"plain.nsf").isMail);
}

// ---- ForceIDPasswordPrompt -------------------------------------------------

class ForcedOpens : public brwtest::NotesDataSettingsTest {
protected:
    void MakeMailFile(const std::wstring& fullPath) { Notesdb(L"generate mail " + Quoted(fullPath) + L" --count 1"); }
    // A mail file beside the data directory, which only the list can name.
    std::wstring OutsideMailFile()
    {
        const std::wstring path = TempDir() + L"\\Outside.nsf";
        MakeMailFile(path);
        return path;
    }
};

TEST_F(ForcedOpens, AMailFileInTheDataDirectoryIsFound)
{
    NewDatabase(L"projects.nsf");
    NewDatabase(L"Mail\\placeholder.nsf");
    MakeMailFile(DataPath(L"Mail\\jdoe.nsf"));
    EXPECT_TRUE(brw::ForceDatabaseOpens()) << "found in a folder below the data directory";
}

TEST_F(ForcedOpens, DatabasesWithoutMailAreNotEnough)
{
    NewDatabase(L"projects.nsf");
    Notesdb(L"generate app " + Quoted(DataPath(L"discussion.nsf")) + L" --count 1");
    EXPECT_FALSE(brw::ForceDatabaseOpens());
}

// The password prompt has to come while the connector watches for it, even
// when the chosen databases are gone or hold no mail file.
TEST_F(ForcedOpens, AfterAManualSelectionTheDataDirectoryIsSearchedToo)
{
    NewDatabase(L"projects.nsf");
    MakeMailFile(DataPath(L"jdoe.nsf"));
    SetFlag(L"ManualSelection");
    Select(L"projects.nsf");
    Select(L"gone.nsf");
    EXPECT_TRUE(brw::ForceDatabaseOpens()) << "the mail file in the directory, though not chosen";
}

TEST_F(ForcedOpens, AfterAManualSelectionTheListCountsWithoutTheScan)
{
    NewDatabase(L"projects.nsf");
    SetFlag(L"ManualSelection");
    Select(L"gone.nsf");
    EXPECT_FALSE(brw::ForceDatabaseOpens());
    Select(OutsideMailFile());
    EXPECT_TRUE(brw::ForceDatabaseOpens()) << "a listed database that is gone does not stop the others";
}

TEST_F(ForcedOpens, TheListJoinsTheDirectoryOnlyOnceTheScanHasRun)
{
    NewDatabase(L"projects.nsf");
    Select(OutsideMailFile());
    EXPECT_FALSE(brw::ForceDatabaseOpens());
    SetFlag(L"Scanned", 2);
    EXPECT_FALSE(brw::ForceDatabaseOpens()) << "a flag is set only by the value 1";
    SetFlag(L"Scanned");
    EXPECT_TRUE(brw::ForceDatabaseOpens());
}

// ---- GetServerMailInfo ------------------------------------------------------

// Each case makes its own Notes location, since the mail entries come from
// notes.ini as Notes read it at initialisation.
class ServerMailInfo : public ::testing::Test {
protected:
    void Start(const std::wstring& mailOptions)
    {
        ASSERT_TRUE(sandbox_.Start(L"--user \"CN=Test User/O=Brimlow\" " + mailOptions));
    }

    struct MailInfo {
        bool read = false;
        std::wstring server;
        std::wstring mailFile;
    };
    static MailInfo Read(int serverLength = 64, int mailFileLength = 64)
    {
        wchar_t server[64] = L"old server";
        wchar_t mailFile[64] = L"old file";
        MailInfo info;
        info.read = brw::ReadServerMailInfo(server, serverLength, mailFile, mailFileLength);
        info.server = server;
        info.mailFile = mailFile;
        return info;
    }

private:
    brwtest::NotesSandbox sandbox_;
};

TEST_F(ServerMailInfo, TheLocationsServerAndMailFile)
{
    Start(L"--mailserver \"CN=Mail01/O=Brimlow\" --mailfile mail\\tuser.nsf");
    const MailInfo info = Read();
    EXPECT_TRUE(info.read);
    EXPECT_EQ(L"CN=Mail01/O=Brimlow", info.server);
    EXPECT_EQ(L"mail\\tuser.nsf", info.mailFile);
}

TEST_F(ServerMailInfo, MissingEntriesGiveEmptyStrings)
{
    Start(L"--mailserver \"CN=Mail01/O=Brimlow\"");
    MailInfo info = Read();
    EXPECT_TRUE(info.read);
    EXPECT_EQ(L"CN=Mail01/O=Brimlow", info.server);
    EXPECT_EQ(L"", info.mailFile);
}

TEST_F(ServerMailInfo, NoMailEntriesAtAllStillGiveAResult)
{
    Start(L"");
    const MailInfo info = Read();
    EXPECT_TRUE(info.read);
    EXPECT_EQ(L"", info.server);
    EXPECT_EQ(L"", info.mailFile);
}

TEST_F(ServerMailInfo, BuffersAreBounded)
{
    Start(L"--mailserver \"CN=Mail01/O=Brimlow\" --mailfile mail\\tuser.nsf");
    const MailInfo cut = Read(5, 0);
    EXPECT_TRUE(cut.read);
    EXPECT_EQ(L"CN=M", cut.server);
    EXPECT_EQ(L"old file", cut.mailFile) << "a buffer of no length is left alone";
    EXPECT_EQ(L"old server", Read(-3, 64).server);
    EXPECT_TRUE(brw::ReadServerMailInfo(nullptr, 10, nullptr, 10));
}

TEST(MailDbNameResults, KeepsTheFirstTwoEntriesThatHaveText)
{
    brw::MailDbNameResults results;
    EXPECT_TRUE(results.BeginTextList(nullptr, 3));
    EXPECT_TRUE(results.OnTextListEntry("", 0));
    EXPECT_TRUE(results.OnTextListEntry("mail\\a.nsfXYZ", 10));
    EXPECT_TRUE(results.OnTextListEntry("third", 5));
    EXPECT_TRUE(results.EndTextList());
    EXPECT_EQ("", results.Server()) << "an empty first entry leaves no server";
    EXPECT_EQ("mail\\a.nsf", results.MailFile()) << "only the entry's own bytes";
}

} // namespace
