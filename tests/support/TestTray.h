#pragma once
// The shell's notification area, played by the test: a window of the class
// the shell's tray window has, which Shell_NotifyIcon in any process of the
// session sends each icon's data to. It records the tips each icon was
// given, so a test reads what the user would see on hovering the icon.
// Made before the program under test adds its icon; while it lives it is
// the tray that program talks to.
#include <windows.h>

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace brwtest {

class TestTray {
public:
    TestTray();
    // Ends the tray's thread; icons added after that go to the system's
    // own tray again.
    ~TestTray();
    TestTray(const TestTray&) = delete;
    TestTray& operator=(const TestTray&) = delete;

    bool Ready() const { return window_ != nullptr; }

    // Every tip the icon (owner's icon id) was given, oldest first.
    std::vector<std::wstring> Tips(HWND owner, UINT id) const;

    // Waits up to timeoutMs for a tip of the icon that satisfies wanted,
    // passing over the first `skip` tips it was given (those seen before);
    // the first such one.
    using TipTest = std::function<bool(const std::wstring&)>;
    std::optional<std::wstring> WaitForTip(HWND owner, UINT id, const TipTest& wanted, size_t skip,
                                           DWORD timeoutMs) const;

private:
    struct Tip {
        HWND owner;
        UINT id;
        std::wstring text;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Run();
    bool Record(const COPYDATASTRUCT& data);

    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    std::vector<Tip> tips_;
    bool started_ = false;
    HWND window_ = nullptr;
    std::thread thread_;
};

} // namespace brwtest
