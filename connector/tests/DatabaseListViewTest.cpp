// The database list in a real list-view control, in a window of the test's
// own on the run's display: cells asked for by the control come from the
// row each item carries, a repaint asks about each visible row once, and
// Delete takes the selected items' own rows whatever was drawn last.
#include "connector/DatabaseListView.h"

#include "connector/SettingsStore.h"
#include "connector/tests/FakeDatabaseServices.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using brw::DatabaseListView;
using brw::DatabaseRows;
namespace settings = brw::settings;

constexpr wchar_t kMainKey[] = L"Software\\FenwoldInc\\BRW";
constexpr wchar_t kWindowClass[] = L"BrimlowDatabaseListTest";

// A top-level window that passes its WM_NOTIFY to the list, as the main
// window does.
LRESULT CALLBACK TestWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NOTIFY) {
        auto* view = reinterpret_cast<DatabaseListView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (view != nullptr && view->OnNotify(reinterpret_cast<const NMHDR*>(lParam))) {
            return 0;
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

brwtest::CountingInfoSource AnsweringEveryPath()
{
    brwtest::CountingInfoSource source;
    source.answerEveryPath = true;
    return source;
}

class DatabaseListViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMainKey, L"Placeholder", 0));
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = TestWindowProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassW(&windowClass);
        window_ = CreateWindowExW(0, kWindowClass, L"Databases", WS_OVERLAPPEDWINDOW, 0, 0, 1000, 400, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, window_);
        SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&view_));
        ASSERT_TRUE(view_.Create(window_, GetModuleHandleW(nullptr)));
    }
    void TearDown() override
    {
        if (window_ != nullptr) {
            SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
            DestroyWindow(window_);
        }
    }

    static void List(const std::wstring& path)
    {
        ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, settings::kDatabasesKeyPath, path, L""));
    }

    std::wstring ItemText(int item, int column) const
    {
        wchar_t text[300] = {};
        LVITEMW request = {};
        request.iSubItem = column;
        request.pszText = text;
        request.cchTextMax = 300;
        SendMessageW(view_.Handle(), LVM_GETITEMTEXTW, item, reinterpret_cast<LPARAM>(&request));
        return text;
    }

    void Select(int item) const { ListView_SetItemState(view_.Handle(), item, LVIS_SELECTED, LVIS_SELECTED); }

    // One full repaint of the visible list, drawn now.
    void Repaint() const
    {
        ShowWindow(window_, SW_SHOWNOACTIVATE);
        RedrawWindow(view_.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    }

    int ItemCount() const { return ListView_GetItemCount(view_.Handle()); }

    brwtest::ScratchKey product_{HKEY_CURRENT_USER, kMainKey};
    brwtest::CountingInfoSource source_ = AnsweringEveryPath();
    brwtest::RecordingExclusion exclusion_;
    DatabaseRows rows_{source_, exclusion_};
    DatabaseListView view_{rows_};
    HWND window_ = nullptr;
};

TEST_F(DatabaseListViewTest, ControlShowsEachItemsOwnRowInFiveColumns)
{
    List(L"mail\\a.nsf");
    List(L"mail\\b.nsf");
    view_.Fill();

    ASSERT_EQ(2, ItemCount());
    EXPECT_EQ(brw::kDatabaseListId, GetDlgCtrlID(view_.Handle()));
    EXPECT_EQ(5, Header_GetItemCount(ListView_GetHeader(view_.Handle())));
    for (int item = 0; item < 2; ++item) {
        const std::wstring path = rows_.PathOf(static_cast<size_t>(item));
        EXPECT_EQ(L"Yes", ItemText(item, 0));
        EXPECT_EQ(L"Title of " + path, ItemText(item, 1));
        EXPECT_EQ(path, ItemText(item, 2));
        EXPECT_EQ(L"", ItemText(item, 3));
        EXPECT_EQ(L"08/12/2026 12:00:00", ItemText(item, 4));
    }
    // Columns asked out of order still answer for the item asked about.
    EXPECT_EQ(rows_.PathOf(1), ItemText(1, 2));
    EXPECT_EQ(rows_.PathOf(0), ItemText(0, 2));
}

TEST_F(DatabaseListViewTest, RepaintAsksAboutEachVisibleRowOnce)
{
    for (int i = 0; i < 5; ++i) {
        List(L"mail\\db" + std::to_wstring(i) + L".nsf");
    }
    view_.Fill();
    Repaint();
    source_.calls.clear();

    Repaint();

    ASSERT_EQ(5u, source_.calls.size()) << "every row is visible";
    for (const auto& entry : source_.calls) {
        EXPECT_EQ(1, entry.second) << entry.first << ": asked per column instead of per row";
    }
}

TEST_F(DatabaseListViewTest, DeleteTakesTheSelectedItemsRowsNotTheOneDrawnLast)
{
    List(L"mail\\a.nsf");
    List(L"mail\\b.nsf");
    List(L"mail\\c.nsf");
    view_.Fill();
    Repaint();
    Select(0);
    Select(2);
    ItemText(1, 0); // the unselected row is the one drawn last

    const std::vector<std::wstring> removed = rows_.Delete(view_.SelectedRows());
    view_.Refresh();

    EXPECT_EQ((std::vector<std::wstring>{L"mail\\a.nsf", L"mail\\c.nsf"}), removed);
    ASSERT_EQ(1, ItemCount());
    EXPECT_EQ(L"mail\\b.nsf", ItemText(0, 2));
}

TEST_F(DatabaseListViewTest, NothingSelectedGivesNoRowsAndNoPath)
{
    List(L"mail\\a.nsf");
    view_.Fill();
    EXPECT_TRUE(view_.SelectedRows().empty());
    EXPECT_EQ(L"", view_.FirstSelectedPath());
    Select(0);
    EXPECT_EQ(L"mail\\a.nsf", view_.FirstSelectedPath());
}

// Five hundred databases: the list fills and repaints asking about visible
// rows only, once each. The times are recorded for the reader, not judged.
TEST_F(DatabaseListViewTest, FiveHundredDatabasesFillAndRepaintAskingOnlyAboutVisibleRows)
{
    brw::RegKey list = settings::OpenDatabasesKey();
    for (int i = 0; i < 500; ++i) {
        ASSERT_TRUE(settings::WriteString(list.get(), (L"mail\\archive" + std::to_wstring(i) + L".nsf").c_str(), L""));
    }
    LARGE_INTEGER frequency, start, filled, painted;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    view_.Fill();
    QueryPerformanceCounter(&filled);
    Repaint();
    QueryPerformanceCounter(&painted);

    EXPECT_EQ(500, ItemCount());
    EXPECT_LT(source_.calls.size(), 500u) << "rows out of sight are not opened";
    for (const auto& entry : source_.calls) {
        EXPECT_EQ(1, entry.second) << entry.first;
    }
    auto ms = [&](LARGE_INTEGER from, LARGE_INTEGER to) {
        return static_cast<int>((to.QuadPart - from.QuadPart) * 1000 / frequency.QuadPart);
    };
    RecordProperty("fill_ms", ms(start, filled));
    RecordProperty("repaint_ms", ms(filled, painted));
    RecordProperty("rows_asked", static_cast<int>(source_.calls.size()));
}

} // namespace
