#include "tests/demo/ShownWindow.h"

namespace brwdemo {
namespace {

// Wine does not report another process's new windows to a window event
// hook, so the windows are looked at again after each short turn; the
// process's end ends the wait at once.
constexpr DWORD kRecheckMs = 50;

struct Search {
    DWORD processId;
    ShownWindow found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t title[256] = {};
    if (owner != search->processId || !IsWindowVisible(window) ||
        GetWindowTextW(window, title, ARRAYSIZE(title)) == 0) {
        return TRUE;
    }
    wchar_t name[64] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    search->found = {window, name, title};
    return FALSE;
}

ShownWindow FindShownWindow(DWORD processId)
{
    Search search{processId, {}};
    EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A program may show its window before it has done what its command line
// asks (Notepad names the file it opened only afterwards); one message round
// trip lasts until it reads messages again, and the title is read after it.
ShownWindow Settled(ShownWindow window, DWORD timeoutMs)
{
    DWORD_PTR ignored = 0;
    wchar_t title[256] = {};
    if (SendMessageTimeoutW(window.handle, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &ignored) != 0 &&
        GetWindowTextW(window.handle, title, ARRAYSIZE(title)) > 0) {
        window.title = title;
    }
    return window;
}

} // namespace

ShownWindow WaitForShownWindow(HANDLE process, DWORD processId, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    WaitForInputIdle(process, timeoutMs);
    for (;;) {
        const ShownWindow window = FindShownWindow(processId);
        const ULONGLONG now = GetTickCount64();
        if (window.handle != nullptr) {
            return Settled(window, now < deadline ? static_cast<DWORD>(deadline - now) : 0);
        }
        if (now >= deadline) {
            return window;
        }
        const DWORD remaining = static_cast<DWORD>(deadline - now);
        if (WaitForSingleObject(process, remaining < kRecheckMs ? remaining : kRecheckMs) == WAIT_OBJECT_0) {
            return FindShownWindow(processId);
        }
    }
}

} // namespace brwdemo
