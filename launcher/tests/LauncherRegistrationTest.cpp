// The launcher's keys and its class-less type library, written to the
// current user's classes of the test prefix (the machine's are written by
// the same script through the same engine, with HKEY_CLASSES_ROOT left as
// it is). The program's folder is the test's own, since the library is
// written beside the program.
#include "launcher/LauncherRegistration.h"

#include "common/ComHolders.h"
#include "tests/support/CallerTrace.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";
constexpr wchar_t kLibraryKey[] = L"TypeLib\\{BB4C1EDD-8839-4203-93BB-26F9CF670C8A}";

std::wstring UserKey(const std::wstring& path)
{
    return kUserClasses + path;
}

// A blank in the folder, as under Program Files.
std::wstring MakeProgramFolder(const brwtest::ScratchFolder& folder)
{
    CreateDirectoryW(folder.Sub(L"Brimlow Search").c_str(), nullptr);
    return folder.Sub(L"Brimlow Search\\BRW.exe");
}

class LauncherRegistration : public testing::Test {
protected:
    void ExpectRegistered(const char* file = __builtin_FILE(), int line = __builtin_LINE())
    {
        const brwtest::CallerTrace trace(file, line);
        const std::wstring appId = std::wstring(L"AppID\\") + brw::kLauncherAppId;
        EXPECT_EQ(L"BRW", brwtest::GetString(HKEY_CURRENT_USER, UserKey(appId), L""));
        EXPECT_EQ(brw::kLauncherAppId, brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"AppID\\BRW.EXE"), L"AppID"));
        EXPECT_EQ(L"URL:Brw Protocol", brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw"), L""));
        EXPECT_EQ(L"", brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw"), L"URL Protocol"));
        EXPECT_EQ(L"{F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}",
                  brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw"), L"ShellFolder"));
        EXPECT_EQ(program_, brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw\\DefaultIcon"), L""));
        EXPECT_EQ(L"\"" + program_ + L"\" \"%1\"",
                  brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw\\shell\\open\\command"), L""));
        EXPECT_EQ(L"BRW 1.0 Type Library", brwtest::GetString(HKEY_CURRENT_USER, UserKey(kLibraryKey) + L"\\1.0", L""));
        EXPECT_EQ(Library(), brwtest::GetString(HKEY_CURRENT_USER, UserKey(kLibraryKey) + L"\\1.0\\0\\win64", L""));
    }

    std::wstring Library() const { return folder_.Sub(L"Brimlow Search\\BRW.tlb"); }

    brwtest::ScratchFolder folder_{L"brwlauncher"};
    std::wstring program_ = MakeProgramFolder(folder_);

    brwtest::ScratchKey protocol_{HKEY_CURRENT_USER, UserKey(L"Brw")};
    brwtest::ScratchKey appId_{HKEY_CURRENT_USER, UserKey(std::wstring(L"AppID\\") + brw::kLauncherAppId)};
    brwtest::ScratchKey exeAppId_{HKEY_CURRENT_USER, UserKey(L"AppID\\BRW.EXE")};
    brwtest::ScratchKey library_{HKEY_CURRENT_USER, UserKey(kLibraryKey)};
};

TEST_F(LauncherRegistration, WritesTheProtocolAndApplicationKeysWithTheProgramQuoted)
{
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, program_));
    ExpectRegistered();
}

TEST_F(LauncherRegistration, TwiceGivesTheSameKeysAndNoStaleValueSurvives)
{
    ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, UserKey(L"Brw\\shell\\open\\command"), L"",
                                   L"C:\\elsewhere\\other.exe %1"));
    ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, UserKey(L"Brw"), L"EditFlags", L"stale"));
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, program_));
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, program_));
    ExpectRegistered();
    EXPECT_FALSE(brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw"), L"EditFlags").has_value());
}

TEST_F(LauncherRegistration, UnregistrationRemovesTheKeysAndSucceedsWhenTheyAreGone)
{
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, program_));
    EXPECT_EQ(S_OK, brw::UnregisterLauncher(brw::RegistrationScope::User, program_));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(L"Brw")));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(std::wstring(L"AppID\\") + brw::kLauncherAppId)));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(L"AppID\\BRW.EXE")));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(kLibraryKey)));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(Library().c_str()));
    EXPECT_EQ(S_OK, brw::UnregisterLauncher(brw::RegistrationScope::User, program_));
}

// What a client reading BRW's library finds: the name, the version and the
// architecture, and no types at all.
TEST_F(LauncherRegistration, TheTypeLibraryIsBrwLibWithoutClasses)
{
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, program_));
    brw::ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadTypeLibEx(Library().c_str(), REGKIND_NONE, library.put()));
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attributes));
    EXPECT_TRUE(IsEqualGUID(brw::kLauncherLibraryId, attributes->guid));
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    EXPECT_EQ(SYS_WIN64, attributes->syskind);
    library->ReleaseTLibAttr(attributes);
    EXPECT_EQ(0u, library->GetTypeInfoCount());
    brw::Bstr name;
    brw::Bstr description;
    ASSERT_EQ(S_OK, library->GetDocumentation(-1, name.put(), description.put(), nullptr, nullptr));
    EXPECT_STREQ(L"BRWLib", name.get());
    EXPECT_STREQ(L"BRW 1.0 Type Library", description.get());
}

// A program folder that cannot take the library fails the registration and
// leaves none of the keys behind.
TEST_F(LauncherRegistration, ARegistrationWhoseLibraryCannotBeWrittenLeavesNothing)
{
    const std::wstring nowhere = folder_.Sub(L"missing\\BRW.exe");
    EXPECT_TRUE(FAILED(brw::RegisterLauncher(brw::RegistrationScope::User, nowhere)));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(L"Brw")));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(L"AppID\\BRW.EXE")));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(kLibraryKey)));
}

TEST(LauncherOpenCommand, QuotesAPathWithBlanksAndTheUrl)
{
    EXPECT_EQ(L"\"C:\\Program Files\\B\\BRW.exe\" \"%1\"", brw::LauncherOpenCommand(L"C:\\Program Files\\B\\BRW.exe"));
}

} // namespace
