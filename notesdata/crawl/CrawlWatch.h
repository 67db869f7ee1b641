#pragma once
// Tells one window of this process when a crawl pass begins and when it
// ends, so that the window follows the crawl without a timer of its own
// between passes. Messages are posted, never sent: the crawl thread must
// not wait for the window's thread, which may sit in a modal dialog or be
// ending. Every post happens under the lock registration takes, so once a
// window unregistered, nothing more reaches it.
#include "notesdata/exports/BRWDataExports.h"

#include <windows.h>

namespace brw {

enum class WatchRegistration { Accepted, Refused };

class CrawlWatch {
public:
    CrawlWatch() = default;
    CrawlWatch(const CrawlWatch&) = delete;
    CrawlWatch& operator=(const CrawlWatch&) = delete;

    // Makes window the one told, replacing any other, and posts it the
    // current state at once: "began" while a pass runs, "ended" otherwise.
    // Refused, with the previous window kept, unless window is a window of
    // this process and message an application's (WM_USER and above).
    WatchRegistration Register(HWND window, UINT message) noexcept;
    // No window is told any more; a post under way ends first.
    void Unregister() noexcept;

    // The crawl's side, from its own thread.
    void PassBegan() noexcept;
    void PassEnded() noexcept;

private:
    enum class PassState { Idle, Running };

    void Enter(PassState state) noexcept;
    // With the lock held; the error of a post that failed, or 0.
    DWORD PostState() const noexcept;

    SRWLOCK lock_ = SRWLOCK_INIT;
    HWND window_ = nullptr;
    UINT message_ = 0;
    PassState state_ = PassState::Idle;
};

} // namespace brw
