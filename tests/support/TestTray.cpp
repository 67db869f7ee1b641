#include "tests/support/TestTray.h"

#include <shellapi.h>

#include <chrono>
#include <cstddef>

namespace brwtest {
namespace {

constexpr wchar_t kTrayClass[] = L"Shell_TrayWnd";

// What Wine's Shell_NotifyIcon sends the tray (WM_COPYDATA, the command in
// dwData): its own layout, the same for 32-bit and 64-bit callers, with the
// owner window as a 32-bit number. Only the part before the tip's end is
// read. Windows sends Explorer's tray a layout of its own (a signature, the
// command and the caller's NOTIFYICONDATAW); the tests run on Wine.
struct WineIconData {
    LONG owner;
    UINT id;
    UINT flags;
    UINT callbackMessage;
    WCHAR tip[128];
};

} // namespace

TestTray::TestTray() : thread_([this] { Run(); })
{
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return started_; });
}

TestTray::~TestTray()
{
    if (window_ != nullptr) {
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
    thread_.join();
}

void TestTray::Run()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &TestTray::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kTrayClass;
    RegisterClassExW(&windowClass);
    // Topmost and made last, so it comes before any other tray window in
    // the order Shell_NotifyIcon looks for one.
    const HWND window = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kTrayClass, nullptr, WS_POPUP, 0, 0, 0, 0,
                                        nullptr, nullptr, windowClass.hInstance, this);
    {
        std::lock_guard<std::mutex> guard(lock_);
        window_ = window;
        started_ = true;
    }
    changed_.notify_all();
    if (window == nullptr) {
        return;
    }
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    UnregisterClassW(kTrayClass, windowClass.hInstance);
}

LRESULT CALLBACK TestTray::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        SetWindowLongPtrW(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<TestTray*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_COPYDATA:
        return self != nullptr && self->Record(*reinterpret_cast<const COPYDATASTRUCT*>(lParam)) ? TRUE : FALSE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool TestTray::Record(const COPYDATASTRUCT& data)
{
    if (data.lpData == nullptr || data.cbData < sizeof(WineIconData)) {
        return false;
    }
    const ULONG_PTR command = data.dwData;
    WineIconData icon;
    CopyMemory(&icon, data.lpData, sizeof(icon));
    // The sender goes on before anyone waiting here hears of the tip, so a
    // test that reacts to it finds the program past the tip's change, not
    // inside it answering the test's own requests. The data is the
    // sender's no longer after this.
    ReplyMessage(TRUE);
    if ((command == NIM_ADD || command == NIM_MODIFY) && (icon.flags & NIF_TIP) != 0) {
        icon.tip[ARRAYSIZE(icon.tip) - 1] = L'\0';
        const HWND owner = reinterpret_cast<HWND>(static_cast<LONG_PTR>(icon.owner));
        std::lock_guard<std::mutex> guard(lock_);
        tips_.push_back({owner, icon.id, icon.tip});
        changed_.notify_all();
    }
    return true;
}

std::vector<std::wstring> TestTray::Tips(HWND owner, UINT id) const
{
    std::lock_guard<std::mutex> guard(lock_);
    std::vector<std::wstring> texts;
    for (const Tip& tip : tips_) {
        if (tip.owner == owner && tip.id == id) {
            texts.push_back(tip.text);
        }
    }
    return texts;
}

std::optional<std::wstring> TestTray::WaitForTip(HWND owner, UINT id, const TipTest& wanted, size_t skip,
                                                 DWORD timeoutMs) const
{
    std::unique_lock<std::mutex> guard(lock_);
    std::optional<std::wstring> found;
    changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        size_t index = 0;
        for (const Tip& tip : tips_) {
            if (tip.owner != owner || tip.id != id || index++ < skip) {
                continue;
            }
            if (wanted(tip.text)) {
                found = tip.text;
                return true;
            }
        }
        return false;
    });
    return found;
}

} // namespace brwtest
