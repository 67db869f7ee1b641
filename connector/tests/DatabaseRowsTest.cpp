// The database list's rows: a fill that shows unreadable values as empty
// rows and keeps listing after them, the one-row cache that asks about each
// row once per repaint and never answers with another row's texts, Delete
// and Add by the rows' own paths, and the exclusion of a deleted database
// from the crawl scope of the Windows Search stand-in.
#include "connector/DatabaseRows.h"

#include "common/ComHolders.h"
#include "common/SearchCatalogue.h"
#include "connector/CrawlRoot.h"
#include "connector/IndexExclusion.h"
#include "connector/SettingsStore.h"
#include "connector/UserIdentity.h"
#include "connector/tests/FakeDatabaseServices.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <searchapi.h>

#include <string>
#include <vector>

namespace {

using brw::DatabaseColumn;
using brw::DatabaseRows;
namespace settings = brw::settings;

constexpr wchar_t kMainKey[] = L"Software\\FenwoldInc\\BRW";

using CountingSource = brwtest::CountingInfoSource;
using RecordingExclusion = brwtest::RecordingExclusion;

class DatabaseRowsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMainKey, L"Placeholder", 0));
        source_.databases[L"mail\\a.nsf"] = {L"Mail A", L"01/02/2026 10:00:00", true};
        source_.databases[L"mail\\b.nsf"] = {L"Mail B", L"02/02/2026 11:00:00", true};
        source_.databases[L"apps\\c.nsf"] = {L"Catalog", L"03/02/2026 12:00:00", false};
    }

    void List(const wchar_t* path, const wchar_t* data)
    {
        ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, settings::kDatabasesKeyPath, path, data));
    }
    void ListRaw(const std::wstring& name, DWORD type, const void* bytes, DWORD size)
    {
        brw::RegKey list = settings::OpenDatabasesKey();
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(list.get(), name.c_str(), 0, type, static_cast<const BYTE*>(bytes), size));
    }

    // Every cell of every row, as the control asks for them when it paints.
    std::vector<std::vector<std::wstring>> Paint()
    {
        std::vector<std::vector<std::wstring>> cells(rows_.Count());
        for (size_t row = 0; row < rows_.Count(); ++row) {
            for (int column = 0; column < brw::kDatabaseColumnCount; ++column) {
                cells[row].push_back(rows_.CellText(row, column));
            }
        }
        return cells;
    }

    // The registry's enumeration order is the list's order; the tests do
    // not depend on what it is.
    size_t RowOf(const std::wstring& path) const
    {
        for (size_t row = 0; row < rows_.Count(); ++row) {
            if (rows_.PathOf(row) == path) {
                return row;
            }
        }
        ADD_FAILURE() << "no row for " << path;
        return 0;
    }

    static bool IsListed(const wchar_t* path)
    {
        return brwtest::GetString(HKEY_CURRENT_USER, settings::kDatabasesKeyPath, path).has_value();
    }

    brwtest::ScratchKey product_{HKEY_CURRENT_USER, kMainKey};
    CountingSource source_;
    RecordingExclusion exclusion_;
    DatabaseRows rows_{source_, exclusion_};
};

using Cells = std::vector<std::wstring>;

TEST_F(DatabaseRowsTest, EveryListedDatabaseIsARowWithItsFiveTexts)
{
    List(L"mail\\a.nsf", L"");
    List(L"apps\\c.nsf", L"05/02/2026 09:30:00");
    rows_.Fill();

    ASSERT_EQ(2u, rows_.Count());
    const auto cells = Paint();
    EXPECT_EQ((Cells{L"Yes", L"Mail A", L"mail\\a.nsf", L"", L"01/02/2026 10:00:00"}), cells[RowOf(L"mail\\a.nsf")]);
    EXPECT_EQ((Cells{L"Yes", L"Catalog", L"apps\\c.nsf", L"05/02/2026 09:30:00", L"03/02/2026 12:00:00"}),
              cells[RowOf(L"apps\\c.nsf")]);
    EXPECT_EQ(L"", rows_.CellText(2, 0)) << "beyond the last row";
    EXPECT_EQ(L"", rows_.CellText(0, brw::kDatabaseColumnCount));
    EXPECT_EQ(L"", rows_.CellText(0, -1));
}

TEST_F(DatabaseRowsTest, UnreadableValuesAreEmptyRowsAndTheValuesAfterThemStillShow)
{
    List(L"mail\\a.nsf", L"");
    const DWORD binary = 7;
    ListRaw(L"mail\\binary.nsf", REG_BINARY, &binary, sizeof(binary));
    ListRaw(std::wstring(300, L'x'), REG_SZ, L"", sizeof(wchar_t));
    const std::wstring tooLongData(brw::kRowDataLimit + 1, L'd');
    ListRaw(L"mail\\longdata.nsf", REG_SZ, tooLongData.c_str(),
            static_cast<DWORD>((tooLongData.size() + 1) * sizeof(wchar_t)));
    List(L"apps\\c.nsf", L"");
    List(L"mail\\unopenable.nsf", L"");
    rows_.Fill();

    ASSERT_EQ(6u, rows_.Count());
    const auto cells = Paint();
    const Cells empty(brw::kDatabaseColumnCount);
    int shown = 0;
    for (size_t row = 0; row < rows_.Count(); ++row) {
        const std::wstring path = rows_.PathOf(row);
        if (path == L"mail\\a.nsf" || path == L"apps\\c.nsf") {
            EXPECT_EQ(L"Yes", cells[row][0]) << path;
            EXPECT_EQ(path, cells[row][2]);
            ++shown;
        } else {
            EXPECT_EQ(empty, cells[row]) << "row " << row << " " << path;
        }
    }
    EXPECT_EQ(2, shown) << "both readable values are listed whatever their order";
    EXPECT_EQ(0, source_.calls[L"mail\\binary.nsf"]) << "an unreadable row is not opened";
    EXPECT_EQ(1, source_.calls[L"mail\\unopenable.nsf"]);
}

TEST_F(DatabaseRowsTest, EachRowIsAskedAboutOncePerRepaint)
{
    List(L"mail\\a.nsf", L"");
    List(L"mail\\b.nsf", L"");
    List(L"apps\\c.nsf", L"");
    rows_.Fill();

    Paint();
    EXPECT_EQ(3, source_.Total());
    for (const auto& entry : source_.calls) {
        EXPECT_EQ(1, entry.second) << entry.first;
    }
    source_.databases[L"mail\\b.nsf"].title = L"Renamed";
    const auto again = Paint();
    EXPECT_EQ(6, source_.Total()) << "a repaint asks again, so changes show";
    EXPECT_EQ(L"Renamed", again[RowOf(L"mail\\b.nsf")][1]);
}

TEST_F(DatabaseRowsTest, CellOfAnotherRowThanTheCachedOneIsThatRowsText)
{
    List(L"mail\\a.nsf", L"");
    List(L"mail\\b.nsf", L"");
    rows_.Fill();
    ASSERT_EQ(L"Yes", rows_.CellText(1, 0));

    EXPECT_EQ(rows_.PathOf(0), rows_.CellText(0, static_cast<int>(DatabaseColumn::Path)));
    EXPECT_EQ(source_.databases[rows_.PathOf(0)].title, rows_.CellText(0, static_cast<int>(DatabaseColumn::Title)));
    EXPECT_EQ(rows_.PathOf(1), rows_.CellText(1, static_cast<int>(DatabaseColumn::Path)));
    EXPECT_EQ(3, source_.Total()) << "row 1, row 0 once for both its cells, row 1 again";
}

TEST_F(DatabaseRowsTest, DeleteRemovesExactlyTheSelectedRowsAfterAnotherWasPainted)
{
    List(L"mail\\a.nsf", L"");
    List(L"mail\\b.nsf", L"");
    List(L"apps\\c.nsf", L"");
    rows_.Fill();
    Paint();
    size_t keep = 0;
    std::vector<size_t> selected;
    for (size_t row = 0; row < rows_.Count(); ++row) {
        if (rows_.PathOf(row) == L"mail\\b.nsf") {
            keep = row;
        } else {
            selected.push_back(row);
        }
    }
    rows_.CellText(keep, 0); // the kept row was painted last

    const std::vector<std::wstring> removed = rows_.Delete(selected);

    EXPECT_EQ(2u, removed.size());
    EXPECT_FALSE(IsListed(L"mail\\a.nsf"));
    EXPECT_FALSE(IsListed(L"apps\\c.nsf"));
    EXPECT_TRUE(IsListed(L"mail\\b.nsf"));
    EXPECT_EQ(removed, exclusion_.excluded);
    EXPECT_EQ(1u, brwtest::GetDword(HKEY_CURRENT_USER, kMainKey, settings::kManualSelection).value_or(0));
    rows_.Fill();
    EXPECT_EQ(1u, rows_.Count());
}

TEST_F(DatabaseRowsTest, DeleteWithNothingUsableSelectedStillMarksTheSelectionManual)
{
    ListRaw(std::wstring(300, L'x'), REG_SZ, L"", sizeof(wchar_t));
    rows_.Fill();
    ASSERT_EQ(1u, rows_.Count());

    EXPECT_TRUE(rows_.Delete({}).empty());
    EXPECT_TRUE(rows_.Delete({0, 5}).empty()) << "a row without a path and a row that is not there";
    EXPECT_TRUE(exclusion_.excluded.empty());
    EXPECT_EQ(1u, brwtest::GetDword(HKEY_CURRENT_USER, kMainKey, settings::kManualSelection).value_or(0));
}

TEST_F(DatabaseRowsTest, AddListsTheDatabaseUnindexedAndLetsItBackIntoTheIndex)
{
    ASSERT_TRUE(rows_.Add(L"mail\\a.nsf"));
    EXPECT_EQ(L"", brwtest::GetString(HKEY_CURRENT_USER, settings::kDatabasesKeyPath, L"mail\\a.nsf"));
    EXPECT_EQ(std::vector<std::wstring>{L"mail\\a.nsf"}, exclusion_.included);
    EXPECT_EQ(1u, brwtest::GetDword(HKEY_CURRENT_USER, kMainKey, settings::kManualSelection).value_or(0));

    EXPECT_FALSE(rows_.Add(std::wstring(settings::kDatabasePathLimit + 1, L'p')));
    EXPECT_FALSE(rows_.Add(L""));
    EXPECT_EQ(1u, exclusion_.included.size());
}

TEST(DatabaseScopeUrlTest, FullAndRelativePathsOfOneDatabaseGiveOneUrl)
{
    const std::wstring relative = brw::DatabaseScopeUrl(L"{S-1-5-9}", L"Mail\\JDoe.nsf", L"C:\\Notes\\Data");
    EXPECT_EQ(L"brw://{S-1-5-9}/mail/jdoe.nsf/", relative);
    EXPECT_EQ(relative, brw::DatabaseScopeUrl(L"{S-1-5-9}", L"C:\\Notes\\Data\\mail\\jdoe.nsf", L"C:\\Notes\\Data"));
    EXPECT_EQ(L"brw://{S-1-5-9}/d:/mail/jdoe.nsf/",
              brw::DatabaseScopeUrl(L"{S-1-5-9}", L"D:\\mail\\jdoe.nsf", L"C:\\Notes\\Data"));
}

class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(hr_)) {
            CoUninitialize();
        }
    }
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

// The stand-in's state in a folder of the test's own, named in this
// process's environment while the holder lives.
class StandInScope {
public:
    StandInScope() { SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, scratch_.Sub(L"state").c_str()); }
    ~StandInScope() { SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr); }

    static bool IsIncluded(const std::wstring& url)
    {
        brw::ComPtr<ISearchCrawlScopeManager> scope;
        BOOL included = FALSE;
        return SUCCEEDED(brw::OpenSystemCrawlScope(scope)) &&
               SUCCEEDED(scope->IncludedInCrawlScope(url.c_str(), &included)) && included;
    }

private:
    brwtest::ScratchFolder scratch_{L"brwexclusion"};
};

TEST(CrawlScopeExclusionTest, DeletedDatabaseLeavesTheScopeAndComesBackWhenAdded)
{
    ComApartment com;
    ASSERT_HRESULT_SUCCEEDED(com.Result());
    StandInScope state;
    brwtest::ServerRegistration standIn(brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll"));
    ASSERT_HRESULT_SUCCEEDED(standIn.Result());
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    const std::wstring identity = brw::UserIdentity();
    const std::wstring root = brw::CrawlRootUrl(identity);
    brw::CrawlScopeExclusion exclusion(identity, L"C:\\Notes\\Data");

    ASSERT_TRUE(StandInScope::IsIncluded(root + L"mail/jdoe.nsf/000008F6"));
    ASSERT_EQ(S_OK, exclusion.Exclude(L"C:\\Notes\\Data\\mail\\jdoe.nsf"));
    EXPECT_FALSE(StandInScope::IsIncluded(root + L"mail/jdoe.nsf/000008F6"));
    EXPECT_FALSE(StandInScope::IsIncluded(root + L"mail/jdoe.nsf/"));
    EXPECT_TRUE(StandInScope::IsIncluded(root + L"mail/jdoe.nsf.old/00000001")) << "only that database";
    EXPECT_TRUE(StandInScope::IsIncluded(root + L"mail/other.nsf/000008F6"));

    EXPECT_EQ(S_OK, exclusion.Include(L"mail\\jdoe.nsf"));
    EXPECT_TRUE(StandInScope::IsIncluded(root + L"mail/jdoe.nsf/000008F6"));
    EXPECT_EQ(S_FALSE, exclusion.Include(L"mail\\jdoe.nsf")) << "no rule left to remove";
}

} // namespace
