#include "connector/MainWindow.h"

#include "common/DebugConsole.h"
#include "connector/AboutDialog.h"
#include "connector/ConnectorResources.h"
#include "connector/CrawlStatusText.h"
#include "connector/LateBinding.h"
#include "connector/NewConnectorDialog.h"
#include "connector/NotesDataDirectory.h"
#include "connector/NotesDirectorySetting.h"
#include "connector/TrayAction.h"
#include "connector/UserIdentity.h"

#include <new>

namespace brw {
namespace {

constexpr int kTitleLimit = 100;
constexpr wchar_t kNewSearchConnectorItem[] = L"New Search Connector...";
constexpr UINT_PTR kStatusTimer = 1;
// While a pass indexes, how often the tray tip is looked at again: the
// crawl's progress changes per document, which a tick follows more cheaply
// than news of every document would.
constexpr UINT kStatusIntervalMs = 1000;
// The crawl's news that a pass began or ended, its event in wParam.
constexpr UINT kCrawlNewsMessage = WM_APP + 101;
static_assert(kCrawlNewsMessage != kTrayCallbackMessage, "one meaning per message");

std::wstring LoadText(HINSTANCE instance, UINT id)
{
    wchar_t text[kTitleLimit + 1] = {};
    const int length = LoadStringW(instance, id, text, kTitleLimit + 1);
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
}

std::optional<BRWCrawlStatus> ReadCrawlStatus()
{
    const DataServiceCalls* data = DataService();
    BRWCrawlStatus status{};
    status.size = sizeof(status);
    if (data == nullptr || !data->crawlProgress(&status)) {
        return std::nullopt;
    }
    return status;
}

} // namespace

MainWindow::MainWindow(HINSTANCE instance)
    : instance_(instance), title_(LoadText(instance, IDS_WINDOW_TITLE)),
      className_(LoadText(instance, IDS_WINDOW_CLASS))
{
}

MainWindow::~MainWindow()
{
    tray_.Remove();
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
}

bool MainWindow::RegisterClass(MenuChoice menu)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = &MainWindow::Procedure;
    windowClass.hInstance = instance_;
    windowClass.hIcon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_CONNECTOR));
    windowClass.hIconSm = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_CONNECTOR_SMALL));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszMenuName =
        MAKEINTRESOURCEW(menu == MenuChoice::WithDebugItems ? IDC_CONNECTOR_DEBUG_MENU : IDC_CONNECTOR_MENU);
    windowClass.lpszClassName = className_.c_str();
    return RegisterClassExW(&windowClass) != 0;
}

bool MainWindow::Create()
{
    window_ = CreateWindowExW(0, className_.c_str(), title_.c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                              CW_USEDEFAULT, 0, nullptr, nullptr, instance_, this);
    if (window_ == nullptr) {
        return false;
    }
    AddSearchConnectorItem();
    if (!CreateList()) {
        const DWORD error = GetLastError();
        DestroyWindow(window_);
        window_ = nullptr; // gone: the destructor must not destroy it again
        SetLastError(error);
        return false;
    }
    WatchCrawl();
    return true;
}

// The crawl posts its news to the window rather than setting an event for
// this loop to wait on: a posted message arrives through whichever loop
// runs, a modal dialog's or a message box's too, and nothing wakes the
// program between passes.
void MainWindow::WatchCrawl()
{
    const DataServiceCalls* data = DataService();
    crawlWatched_ = data != nullptr && data->crawlWatch(window_, kCrawlNewsMessage);
    if (!crawlWatched_) {
        LogString(L"BRWConnector: no news of the crawl; the tray tip stays as it is\n");
    }
}

// At WM_DESTROY, while the handle is still this window's: once the crawl
// let go, nothing more is posted to it, and news already queued goes with
// the window.
void MainWindow::StopWatchingCrawl()
{
    if (crawlWatched_) {
        DataService()->crawlWatch(nullptr, 0);
        crawlWatched_ = false;
    }
}

bool MainWindow::CreateList()
{
    try {
        const std::optional<std::wstring> directory = discovery::UserDataDirectory(ReadNotesDirectorySetting());
        exclusion_.emplace(UserIdentity(), directory.value_or(std::wstring()));
        commands_.emplace(instance_, infoSource_, *exclusion_);
    } catch (const std::bad_alloc&) {
        return false;
    }
    return commands_->Create(window_);
}

void MainWindow::FillList()
{
    if (commands_) {
        commands_->View().Fill();
    }
}

void MainWindow::AddSearchConnectorItem()
{
    const HMENU file = GetSubMenu(GetMenu(window_), 0);
    if (file != nullptr) {
        InsertMenuW(file, 0, MF_BYPOSITION | MF_STRING, IDM_NEW_SEARCH_CONNECTOR, kNewSearchConnectorItem);
    }
}

void MainWindow::ShowInTray()
{
    const HICON icon = LoadIconW(instance_, MAKEINTRESOURCEW(IDI_CONNECTOR));
    if (tray_.Add(window_, icon)) {
        ShowWindow(window_, SW_HIDE);
    }
}

int MainWindow::RunMessageLoop(HACCEL accelerators)
{
    loopStarted_ = true;
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorW(window_, accelerators, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (quit_) {
            break;
        }
    }
    return 0;
}

LRESULT CALLBACK MainWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    try {
        return self->Dispatch(window, message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        // A command that ran out of memory is dropped; the window lives on.
        return 0;
    }
}

LRESULT MainWindow::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SIZE:
        if (wParam != SIZE_MINIMIZED && commands_) {
            commands_->View().Resize(LOWORD(lParam), HIWORD(lParam));
        }
        return 0;
    case WM_NOTIFY:
        if (commands_ && commands_->View().OnNotify(reinterpret_cast<const NMHDR*>(lParam))) {
            return 0;
        }
        break;
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case kCrawlNewsMessage:
        OnCrawlNews(wParam);
        return 0;
    case WM_TIMER:
        if (wParam == kStatusTimer) {
            OnStatusTimer();
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        // Closing from the system menu only puts the window back in the tray.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            ShowWindow(window_, SW_HIDE);
            return 0;
        }
        break;
    case kTrayCallbackMessage:
        if (loopStarted_ && LOWORD(lParam) == WM_LBUTTONDOWN) {
            OnTrayClick();
        }
        return 0;
    case WM_CLOSE:
        LogString(L"BRWConnector WM_CLOSE");
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        LogString(L"BRWConnector WM_DESTROY");
        StopWatchingCrawl();
        KillTimer(window_, kStatusTimer);
        quit_ = true;
        window_ = nullptr;
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::OnCommand(WPARAM wParam, LPARAM lParam)
{
    if (!commands_) {
        return DefWindowProcW(window_, WM_COMMAND, wParam, lParam);
    }
    switch (LOWORD(wParam)) {
    case IDM_EXIT:
        DestroyWindow(window_);
        return 0;
    case IDM_ABOUT:
        ShowAboutDialog(instance_, window_);
        return 0;
    case IDM_NEW_SEARCH_CONNECTOR:
        ShowNewConnectorDialog(instance_, window_);
        return 0;
    case IDM_ADD_APPLICATION:
        commands_->AddApplication();
        return 0;
    case IDM_CLEAR_PASSWORD:
        commands_->ClearPassword();
        return 0;
    case IDM_DELETE:
        commands_->Delete();
        return 0;
    case IDM_REFRESH:
        commands_->Refresh();
        return 0;
    case IDM_INDEX_DOCUMENT:
        commands_->IndexDocument();
        return 0;
    case IDM_UPDATE_INDEX_NOW:
        RequestCrawlNow();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, WM_COMMAND, wParam, lParam);
}

void MainWindow::OnTrayClick()
{
    if (!commands_) {
        return;
    }
    if (serving_ != nullptr) {
        TrayAction action(*serving_, infoSource_);
        if (action.Run(window_) == TrayOutcome::StayHidden) {
            return;
        }
    }
    commands_->Refresh();
    ShowWindow(window_, SW_RESTORE);
    SetForegroundWindow(window_);
}

// A pass that indexes changes the tip with every document: the timer runs
// from its beginning to its end, and never between passes.
void MainWindow::OnCrawlNews(WPARAM event)
{
    ShowCrawlStatus();
    if (event == BRWCrawlPassBegan) {
        SetTimer(window_, kStatusTimer, kStatusIntervalMs, nullptr);
    } else {
        KillTimer(window_, kStatusTimer);
    }
}

void MainWindow::OnStatusTimer()
{
    // A pass's end whose news was lost stops the timer all the same.
    if (ShowCrawlStatus() != BRWCrawlIndexing) {
        KillTimer(window_, kStatusTimer);
    }
}

// The tip follows the crawl; a pass that ended wrote new crawl times, which
// an open list shows at once. The state shown; "not started" when the crawl
// cannot be asked.
DWORD MainWindow::ShowCrawlStatus()
{
    const std::optional<BRWCrawlStatus> status = ReadCrawlStatus();
    if (!status || !commands_) {
        return BRWCrawlNotStarted;
    }
    std::wstring tip = CrawlTipText(*status);
    if (tip != shownTip_ && tray_.SetTip(tip.c_str())) {
        shownTip_ = std::move(tip);
    }
    if (status->passesFinished != passesSeen_) {
        passesSeen_ = status->passesFinished;
        if (IsWindowVisible(window_)) {
            commands_->RefreshKeepingSelection();
        }
    }
    return status->state;
}

} // namespace brw
