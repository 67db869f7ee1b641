#include "connector/MainWindow.h"

#include "common/DebugConsole.h"
#include "connector/ConnectorResources.h"

namespace brw {
namespace {

constexpr int kTitleLimit = 100;
constexpr wchar_t kNewSearchConnectorItem[] = L"New Search Connector...";

std::wstring LoadText(HINSTANCE instance, UINT id)
{
    wchar_t text[kTitleLimit + 1] = {};
    const int length = LoadStringW(instance, id, text, kTitleLimit + 1);
    return std::wstring(text, length > 0 ? static_cast<size_t>(length) : 0);
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
    return true;
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
    return self != nullptr ? self->Dispatch(window, message, wParam, lParam)
                           : DefWindowProcW(window, message, wParam, lParam);
}

LRESULT MainWindow::Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        return OnCommand(wParam, lParam);
    case WM_SYSCOMMAND:
        // Closing from the system menu only puts the window back in the tray.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            ShowWindow(window_, SW_HIDE);
            return 0;
        }
        break;
    case kTrayCallbackMessage:
        if (loopStarted_ && LOWORD(lParam) == WM_LBUTTONDOWN) {
            ShowWindow(window_, SW_SHOW);
            SetForegroundWindow(window_);
        }
        return 0;
    case WM_CLOSE:
        LogString(L"BRWConnector WM_CLOSE");
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        LogString(L"BRWConnector WM_DESTROY");
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
    if (LOWORD(wParam) == IDM_EXIT) {
        DestroyWindow(window_);
        return 0;
    }
    return DefWindowProcW(window_, WM_COMMAND, wParam, lParam);
}

} // namespace brw
