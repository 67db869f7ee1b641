// The reading rules every settings reader relies on, at their edges.
#include "connector/SettingsStore.h"

#include "common/Handles.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <gtest/gtest.h>

namespace {

using namespace brw::settings;

constexpr wchar_t kScratchPath[] = L"Software\\BrimlowTest\\SettingsStore";

class SettingsStoreTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kScratchPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, key_.put(), nullptr));
    }

    void SetRaw(const wchar_t* name, DWORD type, const void* data, DWORD bytes)
    {
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key_.get(), name, 0, type, static_cast<const BYTE*>(data), bytes));
    }

    brwtest::ScratchKey scratch_{HKEY_CURRENT_USER, kScratchPath};
    brw::RegKey key_;
};

TEST_F(SettingsStoreTest, FlagIsSetOnlyAsDwordOne)
{
    DWORD one = 1;
    DWORD two = 2;
    SetRaw(L"dword1", REG_DWORD, &one, sizeof(one));
    SetRaw(L"dword2", REG_DWORD, &two, sizeof(two));
    SetRaw(L"text1", REG_SZ, L"1", 4);
    SetRaw(L"binary1", REG_BINARY, &one, sizeof(one));
    SetRaw(L"short", REG_DWORD, &one, 2);

    EXPECT_TRUE(IsFlagSet(key_.get(), L"dword1"));
    EXPECT_FALSE(IsFlagSet(key_.get(), L"dword2"));
    EXPECT_FALSE(IsFlagSet(key_.get(), L"text1")) << "a REG_SZ \"1\" counts as absent";
    EXPECT_FALSE(IsFlagSet(key_.get(), L"binary1"));
    EXPECT_FALSE(IsFlagSet(key_.get(), L"short"));
    EXPECT_FALSE(IsFlagSet(key_.get(), L"missing"));
    EXPECT_TRUE(IsFlagSet(HKEY_CURRENT_USER, kScratchPath, L"dword1"));
    EXPECT_FALSE(IsFlagSet(HKEY_CURRENT_USER, L"Software\\BrimlowTest\\NoSuchKey", L"dword1"));
}

TEST_F(SettingsStoreTest, StringMustBeTerminatedEvenAndWithinTheLimit)
{
    SetRaw(L"plain", REG_SZ, L"abc", 8);
    SetRaw(L"expand", REG_EXPAND_SZ, L"%TEMP%", 14);
    SetRaw(L"unterminated", REG_BINARY, L"abc", 6);
    SetRaw(L"odd", REG_BINARY, "abcde", 5);
    SetRaw(L"number", REG_DWORD, "\1\0\0\0", 4);

    EXPECT_EQ(L"abc", ReadString(key_.get(), L"plain", 3));
    EXPECT_EQ(ReadString(key_.get(), L"plain", 2), std::nullopt) << "longer than the reader's limit";
    EXPECT_EQ(L"%TEMP%", ReadString(key_.get(), L"expand", 10)) << "references stay unexpanded";
    EXPECT_EQ(ReadString(key_.get(), L"unterminated", 10), std::nullopt);
    EXPECT_EQ(ReadString(key_.get(), L"odd", 10), std::nullopt);
    EXPECT_EQ(ReadString(key_.get(), L"number", 10), std::nullopt);
    EXPECT_EQ(ReadString(key_.get(), L"missing", 10), std::nullopt);
    EXPECT_EQ(ReadString(nullptr, L"plain", 10), std::nullopt);
}

TEST_F(SettingsStoreTest, StringEndingBeforeItsLengthKeepsTheTextBeforeTheNul)
{
    SetRaw(L"padded", REG_SZ, L"ab\0zz", 10);
    EXPECT_EQ(L"ab", ReadString(key_.get(), L"padded", 5));
    EXPECT_EQ(ReadString(key_.get(), L"padded", 2), std::nullopt) << "the value does not fit a 3-character buffer";
}

TEST_F(SettingsStoreTest, WrittenStringsReadBackAndDeletingAMissingValueSucceeds)
{
    ASSERT_TRUE(WriteString(key_.get(), L"s", L"value"));
    ASSERT_TRUE(WriteDword(key_.get(), L"d", 1));
    EXPECT_EQ(L"value", ReadString(key_.get(), L"s", 5));
    EXPECT_TRUE(IsFlagSet(key_.get(), L"d"));
    EXPECT_TRUE(DeleteValue(key_.get(), L"d"));
    EXPECT_TRUE(DeleteValue(key_.get(), L"d"));
    EXPECT_FALSE(IsFlagSet(key_.get(), L"d"));
    EXPECT_FALSE(WriteString(nullptr, L"s", L"x"));
}

// The list key is the product's own; these cases hold the settings lock.
class DatabaseListTest : public testing::Test {
protected:
    brwtest::ScratchKey list_{HKEY_CURRENT_USER, kDatabasesKeyPath};
};

TEST_F(DatabaseListTest, ReadingCreatesTheListKey)
{
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, kDatabasesKeyPath));
    EXPECT_TRUE(ReadDatabaseList(49).empty());
    EXPECT_TRUE(brwtest::KeyExists(HKEY_CURRENT_USER, kDatabasesKeyPath));
}

const DatabaseEntry* Find(const std::vector<DatabaseEntry>& entries, const wchar_t* path)
{
    for (const DatabaseEntry& entry : entries) {
        if (entry.path == path) {
            return &entry;
        }
    }
    return nullptr;
}

// The order is the registry's: Windows enumerates values as they were
// created, Wine by name; the list passes it on either way.
TEST_F(DatabaseListTest, EveryEntryIsListedAndUnreadableDataIsAbsent)
{
    brw::RegKey list = OpenDatabasesKey();
    ASSERT_TRUE(list);
    ASSERT_TRUE(WriteString(list.get(), L"mail\\jdoe.nsf", L"07/12/2026 10:00:00"));
    ASSERT_TRUE(WriteString(list.get(), L"C:\\archive\\a_jdoe.nsf", L""));
    ASSERT_TRUE(WriteDword(list.get(), L"odd.nsf", 7));

    std::vector<DatabaseEntry> entries = ReadDatabaseList(49);
    ASSERT_EQ(3u, entries.size());
    const DatabaseEntry* mail = Find(entries, L"mail\\jdoe.nsf");
    const DatabaseEntry* archive = Find(entries, L"C:\\archive\\a_jdoe.nsf");
    const DatabaseEntry* odd = Find(entries, L"odd.nsf");
    ASSERT_TRUE(mail && archive && odd);
    EXPECT_EQ(L"07/12/2026 10:00:00", mail->data);
    EXPECT_EQ(L"", archive->data);
    EXPECT_EQ(odd->data, std::nullopt);
    EXPECT_EQ(3u, ReadDatabaseList(5).size()) << "data too long for the reader is absent, the entry stays";
}

// The key deleted under an open handle (the user removed the settings while
// the crawl walked them) answers ERROR_KEY_DELETED for every index: the walk
// ends instead of counting through four billion indexes.
TEST_F(DatabaseListTest, AKeyDeletedWhileOpenEndsTheList)
{
    {
        brw::RegKey list = OpenDatabasesKey();
        ASSERT_TRUE(WriteString(list.get(), L"mail\\jdoe.nsf", L""));
    }
    brw::RegKey held = OpenDatabasesKey(KEY_READ);
    ASSERT_TRUE(held);
    ASSERT_EQ(ERROR_SUCCESS, RegDeleteTreeW(HKEY_CURRENT_USER, kDatabasesKeyPath));
    EXPECT_TRUE(ReadDatabaseListFrom(held.get(), 49).empty());
}

TEST_F(DatabaseListTest, NamesBeyondThePathLimitAreSkipped)
{
    brw::RegKey list = OpenDatabasesKey();
    std::wstring longest(kDatabasePathLimit, L'a');
    std::wstring tooLong(kDatabasePathLimit + 1, L'b');
    ASSERT_TRUE(WriteString(list.get(), longest.c_str(), L""));
    ASSERT_TRUE(WriteString(list.get(), tooLong.c_str(), L""));
    std::vector<DatabaseEntry> entries = ReadDatabaseList(49);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ(entries[0].path, longest);
}

TEST_F(DatabaseListTest, ResetEmptiesEveryValueButKeepsTheNames)
{
    brw::RegKey list = OpenDatabasesKey();
    ASSERT_TRUE(WriteString(list.get(), L"a.nsf", L"started"));
    ASSERT_TRUE(WriteString(list.get(), L"b.nsf", L"also started"));
    ResetDatabaseList();
    std::vector<DatabaseEntry> entries = ReadDatabaseList(49);
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(L"", entries[0].data);
    EXPECT_EQ(L"", entries[1].data);
}

} // namespace
