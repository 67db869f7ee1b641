#include "notesdata/crawl/CrawlWatch.h"

#include "common/DebugConsole.h"
#include "notesdata/crawl/ExclusiveLock.h"

namespace brw {
namespace {

// A message is a WORD; the values above belong to the system, and those
// below WM_USER are the system's own messages (WM_CLOSE and its kind).
bool IsApplicationMessage(UINT message)
{
    return message >= WM_USER && message <= MAXWORD;
}

bool IsWindowOfThisProcess(HWND window)
{
    DWORD owner = 0;
    return window != nullptr && GetWindowThreadProcessId(window, &owner) != 0 && owner == GetCurrentProcessId();
}

// Logged outside the lock: the log may block, registration must not.
void LogFailedPost(DWORD error)
{
    if (error != ERROR_SUCCESS) {
        LogHex0x(L"The crawl could not tell its window; error", error);
    }
}

} // namespace

WatchRegistration CrawlWatch::Register(HWND window, UINT message) noexcept
{
    if (!IsWindowOfThisProcess(window) || !IsApplicationMessage(message)) {
        return WatchRegistration::Refused;
    }
    DWORD failure = ERROR_SUCCESS;
    {
        const ExclusiveLock hold(lock_);
        window_ = window;
        message_ = message;
        failure = PostState();
    }
    LogFailedPost(failure);
    return WatchRegistration::Accepted;
}

void CrawlWatch::Unregister() noexcept
{
    const ExclusiveLock hold(lock_);
    window_ = nullptr;
    message_ = 0;
}

void CrawlWatch::PassBegan() noexcept
{
    Enter(PassState::Running);
}

void CrawlWatch::PassEnded() noexcept
{
    Enter(PassState::Idle);
}

void CrawlWatch::Enter(PassState state) noexcept
{
    DWORD failure = ERROR_SUCCESS;
    {
        const ExclusiveLock hold(lock_);
        state_ = state;
        failure = PostState();
    }
    LogFailedPost(failure);
}

// A failed post (the window's queue is full, or the window went without
// unregistering) loses one change; whatever the window is told next, it
// reads the crawl's progress itself.
DWORD CrawlWatch::PostState() const noexcept
{
    if (window_ == nullptr) {
        return ERROR_SUCCESS;
    }
    const WPARAM event = state_ == PassState::Running ? BRWCrawlPassBegan : BRWCrawlPassEnded;
    return PostMessageW(window_, message_, event, 0) ? ERROR_SUCCESS : GetLastError();
}

} // namespace brw
