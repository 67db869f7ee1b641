// The install check, driven through the stored values rather than through
// the program file's creation time: the case table decides what is stored
// and which creation time the check sees. (Windows keeps a file's creation
// time through renames and attribute changes; Wine reports what the Linux
// file system keeps, which is not always that, so a test of real file times
// would test Wine.)
#include "connector/InstallCheck.h"

#include "common/DebugConsole.h"
#include "connector/SettingsStore.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

using brwtest::GetDword;
using brwtest::GetString;
using brwtest::SetDword;
using brwtest::SetString;

constexpr FILETIME kCreation{0x89ABCDEFu, 0x01D9F00Du}; // low, high
constexpr DWORD kOtherLow = 0x11111111u;
const std::wstring kMain = brw::kSettingsKeyPath;
const std::wstring kDatabases = brw::settings::kDatabasesKeyPath;
constexpr wchar_t kIndexedSince[] = L"08/12/2026 09:30:00";

struct StoredValues {
    std::optional<DWORD> lastData1;
    std::optional<DWORD> lastData2;
    bool justInstalled = false;
};

struct InstallCase {
    const char* name;
    StoredValues stored;
    bool resets;
    bool records; // LastData1/LastData2 hold the creation time afterwards
};

const InstallCase kCases[] = {
    {"no LastData1", {std::nullopt, kCreation.dwLowDateTime, false}, true, true},
    {"equal", {kCreation.dwHighDateTime, kCreation.dwLowDateTime, false}, false, true},
    {"LastData2 different", {kCreation.dwHighDateTime, kOtherLow, false}, true, true},
    {"LastData1 different", {kCreation.dwHighDateTime + 1, kCreation.dwLowDateTime, false}, true, true},
    {"LastData2 missing", {kCreation.dwHighDateTime, std::nullopt, false}, false, true},
    {"JustInstalled with equal times", {kCreation.dwHighDateTime, kCreation.dwLowDateTime, true}, true, true},
    {"JustInstalled on a first start", {std::nullopt, std::nullopt, true}, true, true},
};

class InstallCheck : public testing::Test {
protected:
    void Store(const StoredValues& stored)
    {
        ASSERT_TRUE(
            SetString(HKEY_CURRENT_USER, kMain, brw::settings::kIndexGuid, L"{01234567-89AB-CDEF-0123-456789ABCDEF}"));
        ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kDatabases, L"mail\\jdoe.nsf", kIndexedSince));
        if (stored.lastData1) {
            ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kLastData1, *stored.lastData1));
        }
        if (stored.lastData2) {
            ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kLastData2, *stored.lastData2));
        }
        if (stored.justInstalled) {
            ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kJustInstalled, 1));
        }
    }

    static bool WasReset()
    {
        const bool guidGone = !GetString(HKEY_CURRENT_USER, kMain, brw::settings::kIndexGuid).has_value();
        const bool listEmptied = GetString(HKEY_CURRENT_USER, kDatabases, L"mail\\jdoe.nsf") == std::wstring();
        EXPECT_EQ(guidGone, listEmptied) << "a reset takes both or neither";
        return guidGone && listEmptied;
    }

    brwtest::ScratchKey settings_{HKEY_CURRENT_USER, kMain};
};

TEST_F(InstallCheck, EachStoredStateResetsAndRecordsAsItShould)
{
    for (const InstallCase& c : kCases) {
        SCOPED_TRACE(c.name);
        brwtest::DeleteTree(HKEY_CURRENT_USER, kMain);
        Store(c.stored);
        brw::ApplyInstallCheck(kCreation);
        EXPECT_EQ(c.resets, WasReset());
        EXPECT_FALSE(GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kJustInstalled).has_value());
        if (c.records) {
            EXPECT_EQ(kCreation.dwHighDateTime, GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kLastData1));
            EXPECT_EQ(kCreation.dwLowDateTime, GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kLastData2));
        }
        EXPECT_TRUE(GetString(HKEY_CURRENT_USER, kDatabases, L"mail\\jdoe.nsf").has_value())
            << "a reset keeps the names of the list";
    }
}

TEST_F(InstallCheck, AResetHappensOnceAndTheNextStartFindsTheFileUnchanged)
{
    Store({kCreation.dwHighDateTime, kOtherLow, false});
    brw::ApplyInstallCheck(kCreation);
    ASSERT_TRUE(WasReset());
    Store({std::nullopt, std::nullopt, false}); // state indexed again since
    brw::ApplyInstallCheck(kCreation);
    EXPECT_FALSE(WasReset());
}

TEST_F(InstallCheck, StoredTimesOfAnotherTypeCountAsMissing)
{
    Store({});
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kMain, brw::settings::kLastData1, L"1"));
    ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kLastData2, kCreation.dwLowDateTime));
    brw::ApplyInstallCheck(kCreation);
    EXPECT_TRUE(WasReset());
    EXPECT_EQ(kCreation.dwHighDateTime, GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kLastData1));
}

TEST_F(InstallCheck, AJustInstalledValueOtherThanOneIsNoReset)
{
    Store({kCreation.dwHighDateTime, kCreation.dwLowDateTime, false});
    ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kJustInstalled, 2));
    brw::ApplyInstallCheck(kCreation);
    EXPECT_FALSE(WasReset());
}

TEST_F(InstallCheck, AFirstStartWithoutAnyKeyCreatesTheTimes)
{
    brwtest::DeleteTree(HKEY_CURRENT_USER, kMain);
    brw::ApplyInstallCheck(kCreation);
    EXPECT_EQ(kCreation.dwHighDateTime, GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kLastData1));
    EXPECT_EQ(kCreation.dwLowDateTime, GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kLastData2));
}

TEST(ProgramPath, APathThatDoesNotFitIsNotExaminedCut)
{
    const std::optional<std::wstring> whole = brw::OwnProgramPath();
    ASSERT_TRUE(whole.has_value());
    const DWORD length = static_cast<DWORD>(whole->size());
    EXPECT_EQ(whole, brw::OwnProgramPath(length + 1)) << "exactly room for the NUL";
    EXPECT_FALSE(brw::OwnProgramPath(length).has_value()) << "one character short";
    EXPECT_FALSE(brw::OwnProgramPath(5).has_value());
    EXPECT_FALSE(brw::OwnProgramPath(0).has_value());
}

} // namespace
