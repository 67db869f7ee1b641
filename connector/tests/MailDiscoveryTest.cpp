// Mail file discovery: where the user's Notes data is looked for in a
// single-user and a multi-user installation, the scan of a drive D: that
// holds mail, other databases, a hidden folder, a link looping back to the
// root and paths too long for the list, and what an installation marked
// disabled becomes.
#include "common/Handles.h"
#include "connector/InstallationState.h"
#include "connector/MailDatabaseScan.h"
#include "connector/NotesDataDirectory.h"
#include "connector/SettingsStore.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using namespace brw::discovery;
namespace settings = brw::settings;

// Drive D: is mapped by the test run (connector/tests/mail-drive.sh).
constexpr wchar_t kDrive[] = L"D:\\";
constexpr wchar_t kMainKey[] = L"Software\\FenwoldInc\\BRW";

// Stands in for Notes opening a database: a file whose text is "mail" is a
// mail database, any other file opens as something else. Records every
// path asked for and whether critical-error boxes were off at the time.
class FileMarkerSource final : public brw::DatabaseInfoSource {
public:
    bool Query(const std::wstring& path, brw::InfoDetail detail, brw::DatabaseInfo* info) override
    {
        asked.push_back(path);
        quietEveryTime = quietEveryTime && (GetThreadErrorMode() & SEM_FAILCRITICALERRORS) != 0;
        EXPECT_EQ(brw::InfoDetail::MailCheckOnly, detail);
        brw::FileHandle file(
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        char text[8] = {};
        DWORD read = 0;
        if (!file || !ReadFile(file.get(), text, sizeof(text) - 1, &read, nullptr)) {
            return false;
        }
        info->isMail = std::string(text, read) == "mail";
        return true;
    }

    std::vector<std::wstring> asked;
    bool quietEveryTime = true;
};

bool WriteMarker(const std::wstring& path, const char* text)
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), text, static_cast<DWORD>(strlen(text)), &written, nullptr);
}

// Creates every folder of path below an existing one.
bool MakeFolders(const std::wstring& path)
{
    for (size_t at = path.find(L'\\', 3); at != std::wstring::npos; at = path.find(L'\\', at + 1)) {
        CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
    }
    return CreateDirectoryW(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

// The Notes installation key, the product's settings and USERPROFILE of
// this process, each the test's own and put back after.
class DiscoveryTest : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t profile[MAX_PATH];
        const DWORD length = GetEnvironmentVariableW(L"USERPROFILE", profile, MAX_PATH);
        savedProfile_.assign(profile, length < MAX_PATH ? length : 0);
        SetEnvironmentVariableW(L"USERPROFILE", profile_.c_str());
        ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMainKey, L"Placeholder", 0));
    }
    void TearDown() override { SetEnvironmentVariableW(L"USERPROFILE", savedProfile_.c_str()); }

    void InstallNotes(const std::wstring& dataPath, DWORD multiUser)
    {
        ASSERT_TRUE(
            brwtest::SetString(HKEY_LOCAL_MACHINE, settings::kNotesKeyPath, settings::kNotesDataPath, dataPath));
        ASSERT_TRUE(
            brwtest::SetDword(HKEY_LOCAL_MACHINE, settings::kNotesKeyPath, settings::kNotesMultiUser, multiUser));
    }

    std::wstring MailFolderIn(const std::wstring& dataDirectory)
    {
        const std::wstring mail = dataDirectory + L"\\mail";
        EXPECT_TRUE(MakeFolders(mail));
        return mail;
    }

    brwtest::ScratchKey notes_{HKEY_LOCAL_MACHINE, settings::kNotesKeyPath};
    brwtest::ScratchKey product_{HKEY_CURRENT_USER, kMainKey};
    brwtest::ScratchFolder scratch_{L"brwmail"};
    std::wstring profile_ = scratch_.Sub(L"profile");
    std::wstring savedProfile_;
};

TEST_F(DiscoveryTest, SingleUserLooksInNotesDirectoryThenDataPathThenBothProfileForms)
{
    InstallNotes(L"C:\\Notes\\Data\\", 0);
    const std::vector<std::wstring> expected = {L"C:\\Own\\Data", L"C:\\Notes\\Data\\",
                                                profile_ + L"\\AppData\\Local\\Lotus\\Notes\\Data",
                                                profile_ + L"\\AppData\\Lotus\\Notes\\Data"};
    EXPECT_EQ(expected, DataDirectoryCandidates(std::wstring(L"C:\\Own\\Data")));
    EXPECT_EQ(std::vector<std::wstring>(expected.begin() + 1, expected.end()), DataDirectoryCandidates(std::nullopt));
}

TEST_F(DiscoveryTest, MultiUserSkipsTheMachineWideDataPath)
{
    InstallNotes(L"C:\\Notes\\Data", 1);
    const std::vector<std::wstring> expected = {profile_ + L"\\AppData\\Local\\Lotus\\Notes\\Data",
                                                profile_ + L"\\AppData\\Lotus\\Notes\\Data"};
    EXPECT_EQ(expected, DataDirectoryCandidates(std::nullopt));
}

TEST_F(DiscoveryTest, PathsThatWouldOverrunTheirBuffersAreNeverBuilt)
{
    const std::wstring longest(MAX_PATH - 1, L'd');
    InstallNotes(longest, 0);
    const auto candidates = DataDirectoryCandidates(std::wstring(MAX_PATH, L'n'));
    ASSERT_FALSE(candidates.empty());
    EXPECT_EQ(longest, candidates[0]) << "a Directory setting too long for a buffer is left out";
    EXPECT_EQ(L"", MailPattern(longest)) << "no room for \\mail\\*.nsf";

    SetEnvironmentVariableW(L"USERPROFILE", (L"C:\\" + std::wstring(MAX_PATH - 20, L'p')).c_str());
    InstallNotes(L"", 0);
    EXPECT_TRUE(DataDirectoryCandidates(std::nullopt).empty()) << "empty DataPath, profile forms too long";
}

TEST_F(DiscoveryTest, MailPatternHasOneSeparatorWithOrWithoutATrailingOne)
{
    EXPECT_EQ(L"C:\\Data\\mail\\*.nsf", MailPattern(L"C:\\Data"));
    EXPECT_EQ(L"C:\\Data\\mail\\*.nsf", MailPattern(L"C:\\Data\\"));
    EXPECT_EQ(L"", MailPattern(L""));
}

TEST_F(DiscoveryTest, MailFileIsFoundInTheFirstDataDirectoryThatExists)
{
    const std::wstring dataPath = scratch_.Sub(L"data");
    InstallNotes(dataPath + L"\\", 0);
    EXPECT_FALSE(MailFilesPresent(std::nullopt)) << "no data directory at all";

    const std::wstring mail = MailFolderIn(dataPath);
    ASSERT_TRUE(CreateDirectoryW((mail + L"\\folder.nsf").c_str(), nullptr));
    EXPECT_FALSE(MailFilesPresent(std::nullopt)) << "a folder named *.nsf is no mail file";
    ASSERT_TRUE(WriteMarker(mail + L"\\jdoe.nsf", "mail"));
    EXPECT_TRUE(MailFilesPresent(std::nullopt));

    const std::wstring own = scratch_.Sub(L"own");
    ASSERT_TRUE(MakeFolders(own));
    EXPECT_FALSE(MailFilesPresent(own)) << "Notes' own setting names the user's directory, which has no mail";
}

TEST_F(DiscoveryTest, MultiUserMailIsFoundInEitherProfileForm)
{
    InstallNotes(scratch_.Sub(L"shared"), 1);
    ASSERT_TRUE(WriteMarker(MailFolderIn(scratch_.Sub(L"shared")) + L"\\jdoe.nsf", "mail"));
    EXPECT_FALSE(MailFilesPresent(std::nullopt)) << "the machine-wide folder is not this user's";

    ASSERT_TRUE(WriteMarker(MailFolderIn(profile_ + L"\\AppData\\Lotus\\Notes\\Data") + L"\\a.nsf", "mail"));
    EXPECT_TRUE(MailFilesPresent(std::nullopt)) << "the roaming form";

    MailFolderIn(profile_ + L"\\AppData\\Local\\Lotus\\Notes\\Data");
    EXPECT_FALSE(MailFilesPresent(std::nullopt)) << "the local form exists and comes first";
}

TEST_F(DiscoveryTest, MissingNotesInstallationHasNoMailFiles)
{
    EXPECT_FALSE(MailFilesPresent(std::nullopt));
}

std::wstring Repeated(wchar_t c, size_t count)
{
    return std::wstring(count, c);
}

TEST(MailDatabaseScanTest, DriveScanFindsMailOnlyAndEndsDespiteLoopsAndLongPaths)
{
    ASSERT_EQ(static_cast<UINT>(DRIVE_FIXED), GetDriveTypeW(kDrive)) << "D: is mapped by mail-drive.sh";
    const UINT modeBefore = GetThreadErrorMode();
    FileMarkerSource source;

    std::vector<std::wstring> found = FindMailDatabases(kDrive, source);

    std::sort(found.begin(), found.end());
    const std::wstring longest = L"D:\\mail\\" + Repeated(L'n', 244) + L".nsf";
    ASSERT_EQ(256u, longest.size());
    const std::vector<std::wstring> expected = {L"D:\\mail\\OLD.NSF", L"D:\\mail\\jdoe.nsf", longest};
    EXPECT_EQ(expected, found);

    // Asked once for each visible database file; never through the loop,
    // the hidden folder, a folder named *.nsf or a path beyond the list.
    std::vector<std::wstring> asked = source.asked;
    std::sort(asked.begin(), asked.end());
    const std::vector<std::wstring> expectedAsked = {L"D:\\apps\\catalog.nsf", L"D:\\mail\\OLD.NSF",
                                                     L"D:\\mail\\jdoe.nsf", longest};
    EXPECT_EQ(expectedAsked, asked);
    EXPECT_TRUE(source.quietEveryTime) << "critical-error boxes were possible during the scan";
    EXPECT_EQ(modeBefore, GetThreadErrorMode()) << "the thread's error mode is put back";
}

TEST(MailDatabaseScanTest, DriveThatIsNotAFixedDiskIsNotTouched)
{
    FileMarkerSource source;
    for (const wchar_t* root : {L"Q:\\", L"", L"D", L"\\\\server\\share\\"}) {
        EXPECT_TRUE(FindMailDatabases(root, source).empty()) << root;
    }
    EXPECT_TRUE(source.asked.empty());
}

class InstallationStateTest : public DiscoveryTest {
protected:
    void SetUp() override
    {
        DiscoveryTest::SetUp();
        inputs_.source = &source_;
        inputs_.scanRoot = emptyDrive_.Path() + L"\\";
    }

    static void SetFlag(const wchar_t* name) { ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMainKey, name, 1)); }
    static bool IsSet(const wchar_t* name) { return settings::IsFlagSet(HKEY_CURRENT_USER, kMainKey, name); }

    FileMarkerSource source_;
    brwtest::ScratchFolder emptyDrive_{L"brwemptydrive"};
    DiscoveryInputs inputs_;
};

TEST_F(InstallationStateTest, InstallationNotMarkedDisabledIsLeftAlone)
{
    ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, kMainKey, settings::kDisabled, L"1"));
    inputs_.scanRoot = kDrive;

    EXPECT_EQ(InstallationState::Enabled, EvaluateInstallation(inputs_)) << "a REG_SZ \"1\" is no mark";
    EXPECT_FALSE(IsSet(settings::kScanned));
    EXPECT_TRUE(source_.asked.empty());
}

TEST_F(InstallationStateTest, ListedDatabaseMakesItReadyAndTheScanStillRunsOnce)
{
    SetFlag(settings::kDisabled);
    ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, settings::kDatabasesKeyPath, L"mail\\jdoe.nsf", L""));
    inputs_.scanRoot = kDrive;

    EXPECT_EQ(InstallationState::ReadyToEnable, EvaluateInstallation(inputs_));
    EXPECT_TRUE(IsSet(settings::kScanned));
    EXPECT_TRUE(IsSet(settings::kDisabled)) << "the mark goes only once serving started";
    EXPECT_FALSE(source_.asked.empty());

    ASSERT_TRUE(EnableInstallation());
    EXPECT_FALSE(IsSet(settings::kDisabled));
    EXPECT_TRUE(EnableInstallation()) << "already gone";
}

TEST_F(InstallationStateTest, NothingFoundStaysDisabledAndTheScanIsNotRepeated)
{
    SetFlag(settings::kDisabled);
    ASSERT_TRUE(WriteMarker(emptyDrive_.Sub(L"other.nsf"), "other"));

    EXPECT_EQ(InstallationState::Disabled, EvaluateInstallation(inputs_));
    EXPECT_TRUE(IsSet(settings::kScanned));
    EXPECT_EQ(1u, source_.asked.size());

    ASSERT_TRUE(WriteMarker(emptyDrive_.Sub(L"late.nsf"), "mail"));
    EXPECT_EQ(InstallationState::Disabled, EvaluateInstallation(inputs_));
    EXPECT_EQ(1u, source_.asked.size()) << "the scan runs once per user";
}

TEST_F(InstallationStateTest, ScanFindsAreListedUnindexedAndListedOnesKeepTheirData)
{
    SetFlag(settings::kDisabled);
    ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, settings::kDatabasesKeyPath, L"D:\\mail\\jdoe.nsf",
                                   L"07/12/2026 10:00:00"));
    inputs_.scanRoot = kDrive;

    EXPECT_EQ(InstallationState::ReadyToEnable, EvaluateInstallation(inputs_));

    std::vector<settings::DatabaseEntry> listed = settings::ReadDatabaseList(99);
    ASSERT_EQ(3u, listed.size());
    for (const settings::DatabaseEntry& entry : listed) {
        ASSERT_TRUE(entry.data.has_value());
        EXPECT_EQ(entry.path == L"D:\\mail\\jdoe.nsf" ? L"07/12/2026 10:00:00" : L"", *entry.data) << entry.path;
        EXPECT_LE(entry.path.size(), settings::kDatabasePathLimit);
    }
}

TEST_F(InstallationStateTest, MailFileInTheDataDirectoryIsEnoughWithoutAScanFind)
{
    SetFlag(settings::kDisabled);
    SetFlag(settings::kScanned);
    InstallNotes(scratch_.Sub(L"data"), 0);
    ASSERT_TRUE(WriteMarker(MailFolderIn(scratch_.Sub(L"data")) + L"\\jdoe.nsf", "mail"));

    EXPECT_EQ(InstallationState::ReadyToEnable, EvaluateInstallation(inputs_));
    EXPECT_TRUE(source_.asked.empty()) << "scanned before";
    EXPECT_TRUE(settings::ReadDatabaseList(99).empty()) << "the data directory is the crawl's own business";
}

TEST(AddToDatabaseListTest, OnlyNamesTheListAcceptsAreWritten)
{
    brwtest::ScratchKey product{HKEY_CURRENT_USER, kMainKey};
    const std::vector<std::wstring> paths = {L"C:\\a.nsf", L"", std::wstring(257, L'x'), L"C:\\a.nsf",
                                             std::wstring(256, L'y')};
    EXPECT_EQ(2u, AddToDatabaseList(paths));
    EXPECT_EQ(2u, settings::ReadDatabaseList(0).size());
}

} // namespace
