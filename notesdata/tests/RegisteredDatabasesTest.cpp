// The walk over the Databases list: it visits every name once and ends on
// any failure but a name too long for a path, whatever the registry does
// to the key meanwhile.
#include "notesdata/notes/RegisteredDatabases.h"

#include "common/Handles.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using brwtest::DeleteTree;
using brwtest::SetString;

// A broken walk would ask forever; these readers stop answering first.
constexpr DWORD kReaderCallLimit = 1000;

struct ReaderScript {
    std::vector<LSTATUS> statuses; // by index; past the end ERROR_NO_MORE_ITEMS
    DWORD calls = 0;
};
ReaderScript g_script;

LSTATUS ScriptedReader(HKEY, DWORD index, wchar_t* name, DWORD* nameLength)
{
    if (++g_script.calls > kReaderCallLimit || index >= g_script.statuses.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::wstring text = L"db" + std::to_wstring(index) + L".nsf";
    wcscpy_s(name, *nameLength, text.c_str());
    *nameLength = static_cast<DWORD>(text.size());
    return g_script.statuses[index];
}

DWORD g_realCalls = 0;

LSTATUS CountedRegistryReader(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength)
{
    if (++g_realCalls > kReaderCallLimit) {
        return ERROR_NO_MORE_ITEMS;
    }
    return RegEnumValueW(key, index, name, nameLength, nullptr, nullptr, nullptr, nullptr);
}

std::vector<std::wstring> Walk(
    HKEY key, brw::ValueNameReader reader, const std::function<void()>& onVisit = [] {})
{
    std::vector<std::wstring> names;
    brw::ForEachValueName(
        key,
        [&](const std::wstring& name) {
            names.push_back(name);
            onVisit();
        },
        reader);
    return names;
}

TEST(RegisteredDatabaseWalk, OnlyANameTooLongIsSkipped)
{
    g_script = {{ERROR_SUCCESS, ERROR_MORE_DATA, ERROR_SUCCESS}};
    EXPECT_EQ(Walk(nullptr, &ScriptedReader), (std::vector<std::wstring>{L"db0.nsf", L"db2.nsf"}));
    EXPECT_EQ(4u, g_script.calls);
}

TEST(RegisteredDatabaseWalk, AnyOtherFailureEndsIt)
{
    for (LSTATUS failure : {ERROR_KEY_DELETED, ERROR_ACCESS_DENIED, ERROR_INVALID_HANDLE}) {
        g_script = {std::vector<LSTATUS>(kReaderCallLimit, failure)};
        g_script.statuses[0] = ERROR_SUCCESS;
        EXPECT_EQ(Walk(nullptr, &ScriptedReader), std::vector<std::wstring>{L"db0.nsf"}) << failure;
        EXPECT_EQ(2u, g_script.calls) << failure;
    }
}

class DeletedKey : public ::testing::Test {
protected:
    const std::wstring path_ = L"Software\\FenwoldInc\\BRWTests\\RegisteredWalk";

    void SetUp() override { DeleteTree(HKEY_CURRENT_USER, path_); }
    void TearDown() override { DeleteTree(HKEY_CURRENT_USER, path_); }
};

TEST_F(DeletedKey, AKeyDeletedWhileOpenEndsTheWalk)
{
    for (const wchar_t* name : {L"a.nsf", L"b.nsf", L"c.nsf"}) {
        ASSERT_TRUE(SetString(HKEY_CURRENT_USER, path_, name, L""));
    }
    brw::RegKey key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_READ, key.put()));
    g_realCalls = 0;
    const std::vector<std::wstring> names =
        Walk(key.get(), &CountedRegistryReader, [this] { DeleteTree(HKEY_CURRENT_USER, path_); });
    EXPECT_EQ(1u, names.size());
    EXPECT_EQ(2u, g_realCalls) << "the walk ended at the first failure";
}

} // namespace
