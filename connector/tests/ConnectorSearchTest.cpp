// Deleting a database in the window takes its documents out of what
// Windows Search finds, and adding it back brings them again: the real
// program serving, the Windows Search stand-in's indexer crawling through
// the registered protocol handler, the user's steps in the window, and the
// stand-in's query program asked as a user searches.
#include "common/WideString.h"
#include "connector/DatabaseRows.h"
#include "connector/tests/ConnectorWindowFixture.h"
#include "tests/demo/SearchWait.h"
#include "tests/support/ProgramRegistration.h"
#include "tests/support/ServerRegistration.h"

#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// Each wait ends as soon as the query finds what is expected; the bound
// only guards against a hang, well within the test's own limit.
constexpr DWORD kSearchWaitMs = 45000;
constexpr DWORD kToolWaitMs = 60000;
// Words found nowhere else in the test's databases.
constexpr wchar_t kKeptWord[] = L"quixotic";
constexpr wchar_t kRemovedWord[] = L"zanzibar";

std::wstring StandIn64(const wchar_t* name)
{
    return brwtest::BinaryIn64BitTree(std::wstring(L"platform\\winsearch\\") + name);
}

brwtest::ProcessResult RunToEnd(const std::wstring& commandLine)
{
    brwtest::RunningProcess process(brwtest::ProcessSpec{commandLine});
    return process.Wait(kToolWaitMs);
}

class ConnectorSearch : public ConnectorWindow {
protected:
    void SetUp() override
    {
        // The indexer, its protocol handler and the query are 64-bit
        // programs: the 64-bit tree is built after this one.
        if (GetFileAttributesW(StandIn64(L"BRWSearchIndexer.exe").c_str()) == INVALID_FILE_ATTRIBUTES) {
            GTEST_SKIP() << "the 64-bit tree is not built";
        }
        ConnectorWindow::SetUp();
        ASSERT_TRUE(standIn64_.Registered());
        ASSERT_TRUE(handler_.Registered());
        ASSERT_HRESULT_SUCCEEDED(monitor_.Result());
    }

    void TearDown() override
    {
        StopIndexer();
        ConnectorWindow::TearDown();
    }

    // Before the program ends: the protocol handler starts the program
    // again when the indexer asks it for an item and its pipe is gone.
    void StopIndexer()
    {
        if (!indexer_) {
            return;
        }
        RunToEnd(brwtest::Quoted(StandIn64(L"BRWSearchIndexer.exe")) + L" --stop");
        const brwtest::ProcessResult ended = indexer_->Wait(kToolWaitMs);
        indexer_.reset();
        EXPECT_EQ(0u, ended.exitCode) << "the indexer host ended cleanly\n" << ended.output;
    }

    // A database of the data directory with one memo whose subject holds
    // word.
    std::wstring MemoDatabase(const wchar_t* name, const wchar_t* word) const
    {
        const std::wstring path = program_ + L"\\data\\mail\\" + name;
        const std::wstring notesdb = brwtest::Quoted(brwtest::BinaryIn32BitTree(L"platform\\notes\\notesdb.exe"));
        EXPECT_EQ(0u, RunToEnd(notesdb + L" newdb " + brwtest::Quoted(path)).exitCode);
        EXPECT_EQ(0u, RunToEnd(notesdb + L" add " + brwtest::Quoted(path) +
                               L" --form Memo --text \"Subject=Plans for " + word + L"\"")
                          .exitCode);
        return path;
    }

    void StartIndexer()
    {
        indexer_ = std::make_unique<brwtest::RunningProcess>(
            brwtest::ProcessSpec{brwtest::Quoted(StandIn64(L"BRWSearchIndexer.exe")) + L" --loop"});
        ASSERT_TRUE(indexer_->Started());
    }

    // Asks again each time the index changes until word finds `expected`
    // results.
    static testing::AssertionResult Finds(const wchar_t* word, int expected)
    {
        const brwdemo::SearchOutcome outcome = brwdemo::WaitForResultCount(word, expected, kSearchWaitMs);
        if (outcome.reached) {
            return testing::AssertionSuccess();
        }
        return testing::AssertionFailure()
               << brw::WideToUtf8(word) << " gave " << outcome.count << " results, not " << expected;
    }

    static int RowOf(const brwtest::RemoteListView& list, const std::wstring& path)
    {
        const std::vector<std::wstring> paths = list.Column(kPathColumn);
        const auto at = std::find(paths.begin(), paths.end(), path);
        return at == paths.end() ? -1 : static_cast<int>(at - paths.begin());
    }

    // The picker answered with path, as the user types it and presses OK.
    void AddThroughPicker(HWND window, const std::wstring& path, const char* file = __builtin_FILE(),
                          int line = __builtin_LINE())
    {
        const brwtest::CallerTrace trace(file, line);
        Command(window, IDM_ADD_APPLICATION);
        const HWND picker = Dialog(kPickerTitle);
        ASSERT_NE(nullptr, picker);
        ASSERT_TRUE(brwtest::TypeIntoItem(picker, edt1, path));
        brwtest::PressButton(picker, IDOK);
        ASSERT_TRUE(brwtest::WaitForWindowGone(connector_->ProcessHandle(), picker, kWindowWaitMs));
        Settle(window);
    }

    brwtest::ProgramRegistration standIn64_{brwtest::ServerArchitecture::Bits64, StandIn64(L"BRWSearchStandIn.dll")};
    brwtest::ProgramRegistration handler_{brwtest::ServerArchitecture::Bits64,
                                          brwtest::BinaryIn64BitTree(L"handler\\BRWHandler.dll")};
    brwtest::ServerRegistration monitor_{brwtest::BinaryIn32BitTree(L"monitor32\\BRWMon32.dll")};
    std::unique_ptr<brwtest::RunningProcess> indexer_;
};

TEST_F(ConnectorSearch, ADeletedDatabaseIsNoLongerFoundAndIsFoundAgainOnceAddedBack)
{
    const std::wstring kept = MemoDatabase(L"kept.nsf", kKeptWord);
    const std::wstring removed = MemoDatabase(L"removed.nsf", kRemovedWord);
    ListDatabase(kept);
    ListDatabase(removed);
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    StartIndexer();
    {
        SCOPED_TRACE("both databases crawled");
        ASSERT_TRUE(Finds(kKeptWord, 1));
        ASSERT_TRUE(Finds(kRemovedWord, 1));
    }
    {
        SCOPED_TRACE("the row selected, Delete, the advice answered, one pass");
        ClickTray(window);
        Settle(window);
        auto list = List(window);
        const int row = RowOf(*list, removed);
        ASSERT_NE(-1, row);
        ASSERT_TRUE(list->Select({row}));
        Command(window, IDM_DELETE);
        AnswerMessage(brw::kRebuildAdvice);
        Command(window, IDM_UPDATE_INDEX_NOW);
        ASSERT_TRUE(Finds(kRemovedWord, 0));
        ASSERT_TRUE(Finds(kKeptWord, 1));
        EXPECT_EQ((std::vector<std::wstring>{kept}), list->Column(kPathColumn));
    }
    {
        SCOPED_TRACE("added back through the picker");
        AddThroughPicker(window, removed);
        EXPECT_TRUE(IsListed(removed));
        ASSERT_TRUE(Finds(kRemovedWord, 1));
        ASSERT_TRUE(Finds(kKeptWord, 1));
    }
    StopIndexer();
    Exit(window);
}

} // namespace
