// What the running program shows about the crawl while the user looks: the
// tray icon's tip, read from a tray the test plays, and the list's crawl
// times, read from the list control, before, during and after a pass.
#include "connector/CrawlStatusText.h"
#include "connector/TrayIcon.h"
#include "connector/tests/ConnectorWindowFixture.h"
#include "platform/winsearch/core/StateLock.h"
#include "tests/support/TestTray.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

constexpr int kLastIndexingColumn = 3;
// The crawl's period is five minutes: a pass within this time is the one
// the test asked for.
constexpr DWORD kPassWaitMs = 60000;
// A time long before any pass of the test, as an earlier pass recorded it.
constexpr wchar_t kEarlierTime[] = L"01/02/2020 03:04:05";
// The crawl asks the catalogue for its changes sink once the database's
// turn began and before its first document goes; a busy catalogue holds it
// there, with nothing of the database sent yet.
constexpr DWORD kDocumentsAtWait = 0;

class ConnectorStatus : public ConnectorWindow {
protected:
    static std::wstring Tip(DWORD state, const std::wstring& database = L"", DWORD sent = 0)
    {
        BRWCrawlStatus status{};
        status.size = sizeof(status);
        status.state = state;
        status.documentsSent = sent;
        lstrcpynW(status.database, database.c_str(), ARRAYSIZE(status.database));
        return brw::CrawlTipText(status);
    }

    size_t TipsShown(HWND window) const { return tray_.Tips(window, kTrayIconId).size(); }

    // The first tip after the `skip` the icon showed before that is text.
    std::optional<std::wstring> WaitForTip(HWND window, const std::wstring& text, size_t skip) const
    {
        return tray_.WaitForTip(
            window, kTrayIconId, [&](const std::wstring& tip) { return tip == text; }, skip, kPassWaitMs);
    }

    // The program adds its icon to the tray there is when it starts.
    brwtest::TestTray tray_;
};

TEST_F(ConnectorStatus, TheTipAndTheCrawlTimesFollowAPassWhileTheWindowIsOpen)
{
    ASSERT_TRUE(tray_.Ready());
    const std::wstring a = Database(L"a.nsf");
    ListDatabase(a);
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    {
        SCOPED_TRACE("before: the product's name when the icon is added, then the pass at start");
        ASSERT_TRUE(WaitForTip(window, Tip(BRWCrawlUpToDate), 0));
        EXPECT_EQ(brw::kTrayTip, tray_.Tips(window, kTrayIconId).front());
    }

    // An earlier pass's time, which the click's refresh shows.
    ListDatabase(a, kEarlierTime);
    ClickTray(window);
    Settle(window);
    ASSERT_TRUE(IsWindowVisible(window));
    auto list = List(window);
    ASSERT_EQ(a, list->Text(0, kPathColumn));
    EXPECT_EQ(kEarlierTime, list->Text(0, kLastIndexingColumn));

    size_t seen = TipsShown(window);
    {
        SCOPED_TRACE("during: the catalogue is busy, so the pass waits at the database's changes");
        // Held the way the catalogue holds it while it takes changes in;
        // the crawl waits far longer than this test holds it.
        const brw::winsearch::StateLock busy(state_);
        ASSERT_HRESULT_SUCCEEDED(busy.Status());
        Command(window, IDM_UPDATE_INDEX_NOW);
        const std::optional<std::wstring> during = tray_.WaitForTip(
            window, kTrayIconId, [&](const std::wstring& tip) { return tip != Tip(BRWCrawlUpToDate); }, seen,
            kPassWaitMs);
        ASSERT_TRUE(during);
        EXPECT_EQ(Tip(BRWCrawlIndexing, a, kDocumentsAtWait), *during);
        Settle(window);
        EXPECT_EQ(kEarlierTime, list->Text(0, kLastIndexingColumn)) << "no time is recorded before the pass ends";
        seen = TipsShown(window);
    }
    {
        SCOPED_TRACE("after: up to date again, and the open list shows the time the pass recorded");
        ASSERT_TRUE(WaitForTip(window, Tip(BRWCrawlUpToDate), seen));
        Settle(window);
        const std::wstring recorded = ListedData(a);
        EXPECT_NE(kEarlierTime, recorded);
        EXPECT_EQ(recorded, list->Text(0, kLastIndexingColumn));
        EXPECT_EQ(a, list->Text(0, kPathColumn)) << "the same row, refreshed";
    }
    Exit(window);
}

} // namespace
