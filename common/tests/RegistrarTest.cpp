#include "common/Registrar.h"

#include "common/Handles.h"
#include "common/tests/RegistryTestTools.h"

#include <gtest/gtest.h>

namespace brw {
namespace {

using brwtest::KeyExists;
using test::BytesOf;
using test::DumpTree;
using test::ReadRaw;
using test::TestKey;

const wchar_t kModulePath[] = L"C:\\Program Files\\Brimlow Search\\BRWHandler.dll";
const wchar_t kAppId[] = L"{A5332841-FAD8-4A9C-ACF2-9389BDDD135C}";

Replacements Tokens()
{
    return {{L"MODULE", kModulePath}, {L"APPID", kAppId}, {L"EMPTY", L""}, {L"LOOP", L"%APPID%"}};
}

TEST(ExpandTokens, ReplacesKnownTokensOnceAndKeepsOtherPercentSigns)
{
    const Replacements tokens = Tokens();
    const std::wstring module = kModulePath;
    EXPECT_EQ(L"AppID\\" + std::wstring(kAppId), ExpandTokens(L"AppID\\%APPID%", tokens));
    EXPECT_EQ(L"%SystemRoot%\\x.dll", ExpandTokens(L"%SystemRoot%\\x.dll", tokens));
    EXPECT_EQ(L"100%", ExpandTokens(L"100%", tokens));
    EXPECT_EQ(L"%a" + module, ExpandTokens(L"%a%MODULE%", tokens));
    EXPECT_EQ(L"%APPID%", ExpandTokens(L"%LOOP%", tokens)) << "replaced text is not expanded again";
    EXPECT_EQ(L"%module%", ExpandTokens(L"%module%", tokens)) << "names are exact";
}

class RegistrarTest : public ::testing::Test {
protected:
    ScriptKey Key(const wchar_t* relative, KeyMode mode, std::vector<ScriptValue> values = {}) const
    {
        return ScriptKey{HKEY_CURRENT_USER, scratch.Sub(relative), mode, std::move(values)};
    }
    DWORD TypeOf(const wchar_t* relative, const wchar_t* name) const
    {
        return ReadRaw(HKEY_CURRENT_USER, scratch.Sub(relative), name).type;
    }
    void WriteForeignValue(const std::wstring& path) const
    {
        ASSERT_EQ(ERROR_SUCCESS, test::WriteRaw(HKEY_CURRENT_USER, path, L"Foreign", test::DwordValue(7)));
    }

    TestKey scratch;
    Registrar machine{RegistrationScope::Machine, Tokens()};
};

TEST_F(RegistrarTest, WritesEveryValueTypeExactly)
{
    ASSERT_EQ(S_OK,
              machine.Register(
                  {Key(L"Class", KeyMode::Normal,
                       {ScriptValue::Default(L"%MODULE%"), ScriptValue::ExpandString(L"Path", L"%SystemRoot%\\x.dll"),
                        ScriptValue::Dword(L"Flags", 0x00100000), ScriptValue::MultiString(L"List", {L"a", L"%APPID%"}),
                        ScriptValue::Binary(L"Blob", {1, 2, 0xFF}), ScriptValue::Binary(L"NoBytes", {})})}));

    // Wine's RegSetValueExW appends a missing NUL to string data itself, so
    // only on Windows do these sizes also prove that we count the NUL.
    const DWORD flags = 0x00100000;
    const std::wstring nul(1, L'\0');
    const struct {
        const wchar_t* name;
        test::RawValue expected;
    } values[] = {
        {L"", {REG_SZ, BytesOf(kModulePath + nul)}},
        {L"Path", {REG_EXPAND_SZ, BytesOf(L"%SystemRoot%\\x.dll" + nul)}},
        {L"Flags", {REG_DWORD, BytesOf(&flags, sizeof(flags))}},
        {L"List", {REG_MULTI_SZ, BytesOf(L"a" + nul + kAppId + nul + nul)}},
        {L"Blob", {REG_BINARY, {1, 2, 0xFF}}},
        {L"NoBytes", {REG_BINARY, {}}},
    };
    for (const auto& value : values) {
        const test::RawValue actual = ReadRaw(HKEY_CURRENT_USER, scratch.Sub(L"Class"), value.name);
        EXPECT_EQ(value.expected.type, actual.type) << value.name;
        EXPECT_EQ(value.expected.bytes, actual.bytes) << value.name;
    }
}

TEST_F(RegistrarTest, RegisteringTwiceGivesTheSameContent)
{
    const RegistryScript script = {
        Key(L"Class", KeyMode::ForceRemove, {ScriptValue::Default(L"Class")}),
        Key(L"Class\\InprocServer32", KeyMode::Normal, {ScriptValue::Default(L"%MODULE%")}),
    };
    ASSERT_EQ(S_OK, machine.Register(script));
    const std::wstring first = DumpTree(HKEY_CURRENT_USER, scratch.Path());
    WriteForeignValue(scratch.Sub(L"Class"));
    WriteForeignValue(scratch.Sub(L"Class\\Stale"));

    ASSERT_EQ(S_OK, machine.Register(script));
    EXPECT_EQ(first, DumpTree(HKEY_CURRENT_USER, scratch.Path()));
}

TEST_F(RegistrarTest, UnregistrationFollowsEachKeysMode)
{
    const RegistryScript script = {
        Key(L"Shared", KeyMode::NoRemove, {ScriptValue::String(L"Mine", L"x")}),
        Key(L"Shared\\Owned", KeyMode::ForceRemove, {ScriptValue::Default(L"x")}),
        Key(L"Kept", KeyMode::Normal, {ScriptValue::String(L"Mine", L"x")}),
        Key(L"Emptied", KeyMode::Normal, {ScriptValue::Default(L"x")}),
        Key(L"Emptied\\Child", KeyMode::Normal, {ScriptValue::Default(L"x")}),
    };
    ASSERT_EQ(S_OK, machine.Register(script));
    WriteForeignValue(scratch.Sub(L"Shared\\Owned\\Deeper"));
    WriteForeignValue(scratch.Sub(L"Kept"));

    ASSERT_EQ(S_OK, machine.Unregister(script));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch.Sub(L"Shared"))) << "kept although left empty";
    EXPECT_EQ(DWORD{REG_NONE}, TypeOf(L"Shared", L"Mine"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch.Sub(L"Shared\\Owned")));
    EXPECT_EQ(DWORD{REG_DWORD}, TypeOf(L"Kept", L"Foreign"));
    EXPECT_EQ(DWORD{REG_NONE}, TypeOf(L"Kept", L"Mine"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch.Sub(L"Emptied"))) << "emptied once its child is gone";

    EXPECT_EQ(S_OK, machine.Unregister(script)) << "unregistering what is absent succeeds";
    RegDeleteTreeW(HKEY_CURRENT_USER, scratch.Path().c_str());
    EXPECT_EQ(S_OK, machine.Unregister(script));
}

TEST_F(RegistrarTest, ScopeDecidesWhereClassesRootLands)
{
    TestKey userClasses(HKEY_CURRENT_USER, L"Software\\Classes\\BrimlowTest");
    TestKey machineClasses(HKEY_CLASSES_ROOT, L"BrimlowTest");
    const std::wstring path = machineClasses.Sub(L"Class");
    const std::wstring userPath = userClasses.Sub(L"Class");
    const RegistryScript script = {{HKEY_CLASSES_ROOT, path, KeyMode::ForceRemove, {ScriptValue::Default(L"x")}}};

    const Registrar user(RegistrationScope::User, Tokens());
    ASSERT_EQ(S_OK, user.Register(script));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, userPath));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\" + path));
    ASSERT_EQ(S_OK, user.Unregister(script));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userPath));

    ASSERT_EQ(S_OK, machine.Register(script));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, path));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, userPath));
    ASSERT_EQ(S_OK, machine.Unregister(script));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, path));
}

TEST_F(RegistrarTest, StopsAtTheFirstFailure)
{
    // A non-volatile key cannot live under a volatile one, on Windows and
    // Wine alike. The parent comes first: RegCreateKeyEx makes the keys it
    // creates on the way volatile too.
    WriteForeignValue(scratch.Path());
    RegKey volatileKey;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, scratch.Sub(L"Volatile").c_str(), 0, nullptr,
                                             REG_OPTION_VOLATILE, KEY_READ, nullptr, volatileKey.put(), nullptr));
    const RegistryScript script = {
        Key(L"Before", KeyMode::Normal),
        Key(L"Volatile\\Child", KeyMode::Normal),
        Key(L"After", KeyMode::Normal),
    };
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_CHILD_MUST_BE_VOLATILE), machine.Register(script));
    EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, scratch.Sub(L"Before")));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, scratch.Sub(L"After")));
}

TEST_F(RegistrarTest, RefusesMalformedScriptsWithoutTouchingTheRegistry)
{
    WriteForeignValue(scratch.Path());
    const std::wstring before = DumpTree(HKEY_CURRENT_USER, scratch.Path());
    const RegistryScript scripts[] = {
        {{HKEY_USERS, scratch.Sub(L"Class"), KeyMode::Normal, {}}},
        {Key(L"%EMPTY%", KeyMode::ForceRemove)}, // would otherwise wipe the parent
        {{HKEY_CURRENT_USER, L"%EMPTY%", KeyMode::ForceRemove, {}}},
        {{HKEY_CURRENT_USER, L"\\" + scratch.Path(), KeyMode::Normal, {}}},
        {Key(L"a\\\\b", KeyMode::Normal)},
    };
    for (const RegistryScript& script : scripts) {
        EXPECT_EQ(E_INVALIDARG, machine.Register(script)) << script[0].path;
        EXPECT_EQ(E_INVALIDARG, machine.Unregister(script)) << script[0].path;
        EXPECT_EQ(before, DumpTree(HKEY_CURRENT_USER, scratch.Path())) << script[0].path;
    }

    ScriptValue quadWord = ScriptValue::Dword(L"Q", 1);
    quadWord.type = REG_QWORD;
    EXPECT_EQ(E_INVALIDARG, machine.Register({Key(L"Values", KeyMode::Normal, {quadWord})}));
    EXPECT_EQ(E_INVALIDARG,
              machine.Register({Key(L"Values", KeyMode::Normal, {ScriptValue::MultiString(L"M", {L"a", L"", L"b"})})}));
    EXPECT_EQ(DWORD{REG_NONE}, TypeOf(L"Values", L"M"));
}

} // namespace
} // namespace brw
