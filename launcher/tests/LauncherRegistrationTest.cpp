// The launcher's keys, written to the current user's classes of the test
// prefix (the machine's are written by the same script through the same
// engine, with HKEY_CLASSES_ROOT left as it is).
#include "launcher/LauncherRegistration.h"

#include "tests/support/CallerTrace.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";
constexpr wchar_t kProgram[] = L"C:\\Program Files\\Brimlow Search\\BRW.exe";

std::wstring UserKey(const std::wstring& path)
{
    return kUserClasses + path;
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
        EXPECT_EQ(kProgram, brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw\\DefaultIcon"), L""));
        EXPECT_EQ(L"\"C:\\Program Files\\Brimlow Search\\BRW.exe\" \"%1\"",
                  brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw\\shell\\open\\command"), L""));
    }

    brwtest::ScratchKey protocol_{HKEY_CURRENT_USER, UserKey(L"Brw")};
    brwtest::ScratchKey appId_{HKEY_CURRENT_USER, UserKey(std::wstring(L"AppID\\") + brw::kLauncherAppId)};
    brwtest::ScratchKey exeAppId_{HKEY_CURRENT_USER, UserKey(L"AppID\\BRW.EXE")};
};

TEST_F(LauncherRegistration, WritesTheProtocolAndApplicationKeysWithTheProgramQuoted)
{
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, kProgram));
    ExpectRegistered();
}

TEST_F(LauncherRegistration, TwiceGivesTheSameKeysAndNoStaleValueSurvives)
{
    ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, UserKey(L"Brw\\shell\\open\\command"), L"",
                                   L"C:\\elsewhere\\other.exe %1"));
    ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, UserKey(L"Brw"), L"EditFlags", L"stale"));
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, kProgram));
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, kProgram));
    ExpectRegistered();
    EXPECT_FALSE(brwtest::GetString(HKEY_CURRENT_USER, UserKey(L"Brw"), L"EditFlags").has_value());
}

TEST_F(LauncherRegistration, UnregistrationRemovesTheKeysAndSucceedsWhenTheyAreGone)
{
    ASSERT_EQ(S_OK, brw::RegisterLauncher(brw::RegistrationScope::User, kProgram));
    EXPECT_EQ(S_OK, brw::UnregisterLauncher(brw::RegistrationScope::User, kProgram));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(L"Brw")));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(std::wstring(L"AppID\\") + brw::kLauncherAppId)));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, UserKey(L"AppID\\BRW.EXE")));
    EXPECT_EQ(S_OK, brw::UnregisterLauncher(brw::RegistrationScope::User, kProgram));
}

TEST(LauncherOpenCommand, QuotesAPathWithBlanksAndTheUrl)
{
    EXPECT_EQ(L"\"C:\\Program Files\\B\\BRW.exe\" \"%1\"", brw::LauncherOpenCommand(L"C:\\Program Files\\B\\BRW.exe"));
}

} // namespace
