// The crawl's news to the connector's window: a pass's beginning and end,
// the state at once for a window that registers late, silence after it
// unregistered, and the refusal of windows and messages it must not post.
#include "notesdata/crawl/CrawlWatch.h"

#include "notesdata/crawl/CrawlProgress.h"
#include "notesdata/tests/NewsWindow.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using brw::WatchRegistration;
using brwtest::NewsWindow;
using Events = std::vector<WPARAM>;

const Events kBegan{BRWCrawlPassBegan};
const Events kEnded{BRWCrawlPassEnded};
const Events kNothing{};

class CrawlWatch : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, window_.Handle());
        ASSERT_NE(nullptr, other_.Handle());
    }

    WatchRegistration Register(const NewsWindow& window)
    {
        return watch_.Register(window.Handle(), NewsWindow::kMessage);
    }

    brw::CrawlWatch watch_;
    NewsWindow window_;
    NewsWindow other_;
};

TEST_F(CrawlWatch, APassPostsItsBeginningAndItsEnd)
{
    ASSERT_EQ(WatchRegistration::Accepted, Register(window_));
    EXPECT_EQ(kEnded, window_.Take()) << "no pass runs: the window is told so at once";
    watch_.PassBegan();
    EXPECT_EQ(kBegan, window_.Take());
    watch_.PassEnded();
    EXPECT_EQ(kEnded, window_.Take());
    EXPECT_EQ(kNothing, window_.Take()) << "nothing between passes";
}

TEST_F(CrawlWatch, AWindowRegisteredDuringAPassLearnsOfItAtOnce)
{
    watch_.PassBegan();
    ASSERT_EQ(WatchRegistration::Accepted, Register(window_));
    EXPECT_EQ(kBegan, window_.Take());
    watch_.PassEnded();
    EXPECT_EQ(kEnded, window_.Take());
}

TEST_F(CrawlWatch, NothingReachesAWindowThatUnregisteredOrWasReplaced)
{
    ASSERT_EQ(WatchRegistration::Accepted, Register(window_));
    ASSERT_EQ(WatchRegistration::Accepted, Register(other_));
    watch_.PassBegan();
    EXPECT_EQ(kEnded, window_.Take()) << "only what it was told while registered";
    EXPECT_EQ((Events{BRWCrawlPassEnded, BRWCrawlPassBegan}), other_.Take());

    watch_.Unregister();
    watch_.PassEnded();
    watch_.PassBegan();
    EXPECT_EQ(kNothing, other_.Take());
}

TEST_F(CrawlWatch, OnlyAnApplicationMessageToAWindowOfThisProcessIsAccepted)
{
    NewsWindow gone;
    const HWND goneHandle = gone.Handle();
    gone.Destroy();
    struct Case {
        const char* what;
        HWND window;
        UINT message;
        WatchRegistration expected;
    };
    const Case cases[] = {
        {"no window", nullptr, NewsWindow::kMessage, WatchRegistration::Refused},
        {"a destroyed window", goneHandle, NewsWindow::kMessage, WatchRegistration::Refused},
        {"another process's window", GetDesktopWindow(), NewsWindow::kMessage, WatchRegistration::Refused},
        {"a system message", other_.Handle(), WM_CLOSE, WatchRegistration::Refused},
        {"the last system message", other_.Handle(), WM_USER - 1, WatchRegistration::Refused},
        {"beyond the message range", other_.Handle(), 0x10000, WatchRegistration::Refused},
        {"the first application message", other_.Handle(), WM_USER, WatchRegistration::Accepted},
        {"a registered message's range", other_.Handle(), 0xC000, WatchRegistration::Accepted},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        ASSERT_EQ(WatchRegistration::Accepted, Register(window_));
        window_.Take();
        EXPECT_EQ(test.expected, watch_.Register(test.window, test.message));
        watch_.PassBegan();
        watch_.PassEnded();
        const Events expected =
            test.expected == WatchRegistration::Refused ? Events{BRWCrawlPassBegan, BRWCrawlPassEnded} : kNothing;
        EXPECT_EQ(expected, window_.Take()) << "a refusal keeps the window told before";
        MSG message{};
        while (PeekMessageW(&message, other_.Handle(), 0, 0, PM_REMOVE)) {
        }
    }
}

// The record's transitions are what the watch hears of: the first database
// of a pass begins it, and every pass's end ends it, even a pass that had
// nothing to index.
TEST(CrawlProgressWatch, TheFirstDatabaseOfAPassBeginsItAndThePassEndEndsIt)
{
    NewsWindow window;
    ASSERT_NE(nullptr, window.Handle());
    brw::CrawlProgress progress;
    ASSERT_EQ(WatchRegistration::Accepted, progress.Watch().Register(window.Handle(), NewsWindow::kMessage));
    EXPECT_EQ(kEnded, window.Take());

    progress.DatabaseStarted(L"a.nsf");
    progress.DocumentSent();
    progress.DatabaseStarted(L"b.nsf");
    progress.DocumentSent();
    EXPECT_EQ(kBegan, window.Take()) << "once per pass, not per database or document";
    progress.PassFinished();
    EXPECT_EQ(kEnded, window.Take());

    progress.PassFinished();
    EXPECT_EQ(kEnded, window.Take()) << "a pass with nothing to index";
    progress.DatabaseStarted(L"a.nsf");
    EXPECT_EQ(kBegan, window.Take()) << "the next pass begins again";
}

} // namespace
