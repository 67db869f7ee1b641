#pragma once
// A window of the test's thread that the crawl's watch posts to, and the
// events it was told, read off the thread's queue without dispatching.
#include "common/Handles.h"

#include <windows.h>

#include <vector>

namespace brwtest {

struct WindowTraits {
    using pointer = HWND;
    static pointer Invalid() { return nullptr; }
    static bool IsValid(pointer window) { return window != nullptr; }
    static void Close(pointer window) { DestroyWindow(window); }
};

class NewsWindow {
public:
    static constexpr UINT kMessage = WM_APP + 7;

    // Message-only: it receives posts, shows nothing and needs no class.
    NewsWindow() : window_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr))
    {
    }

    HWND Handle() const { return window_.get(); }
    void Destroy() { window_.reset(); }

    // What was posted with kMessage since the last call, in order.
    std::vector<WPARAM> Take() const
    {
        std::vector<WPARAM> events;
        MSG message{};
        while (PeekMessageW(&message, window_.get(), kMessage, kMessage, PM_REMOVE)) {
            events.push_back(message.wParam);
        }
        return events;
    }

private:
    brw::UniqueResource<WindowTraits> window_;
};

} // namespace brwtest
