#include "tests/support/WindowWatch.h"

#include "common/Handles.h"

namespace brwtest {
namespace {

constexpr DWORD kRecheckMs = 50;

struct Search {
    DWORD processId;
    const WindowMatch* match;
    HWND found = nullptr;
};

bool Matches(HWND window, const WindowMatch& match)
{
    wchar_t name[64] = {};
    wchar_t title[256] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    GetWindowTextW(window, title, ARRAYSIZE(title));
    return lstrcmpW(name, match.className) == 0 && lstrcmpW(title, match.title) == 0 &&
           (match.shown == Shown::Any || IsWindowVisible(window));
}

BOOL CALLBACK CheckWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && Matches(window, *search->match)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStatic(HWND child, LPARAM parameter)
{
    wchar_t name[32] = {};
    GetClassNameW(child, name, ARRAYSIZE(name));
    if (lstrcmpiW(name, L"Static") == 0) {
        wchar_t text[512] = {};
        GetWindowTextW(child, text, ARRAYSIZE(text));
        reinterpret_cast<std::vector<std::wstring>*>(parameter)->push_back(text);
    }
    return TRUE;
}

// Window events are only a wake-up: whatever they say, the windows are
// looked at again. The callback needs no state of its own.
void CALLBACK Wake(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) {}

struct WinEventHookTraits {
    using pointer = HWINEVENTHOOK;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer hook) noexcept { return hook != nullptr; }
    static void Close(pointer hook) noexcept { UnhookWinEvent(hook); }
};

DWORD Remaining(ULONGLONG deadline)
{
    const ULONGLONG now = GetTickCount64();
    return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
}

// Whose windows are looked for, and what ends the wait besides the time.
struct Watched {
    HANDLE process; // its end ends the wait; null for this process
    DWORD processId;
    DWORD hookFlags; // besides out-of-context delivery
};

HWND WaitForWindow(const Watched& watched, const WindowMatch& match, DWORD timeoutMs)
{
    // Hooked before the first look, so a window made in between still wakes
    // the wait.
    MSG message{};
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE); // the queue the events come to
    const brw::UniqueResource<WinEventHookTraits> hook(SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_NAMECHANGE,
                                                                       nullptr, &Wake, watched.processId, 0,
                                                                       WINEVENT_OUTOFCONTEXT | watched.hookFlags));
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    const DWORD handles = watched.process != nullptr ? 1 : 0;
    for (;;) {
        if (HWND found = FindProcessWindow(watched.processId, match)) {
            return found;
        }
        const DWORD remaining = Remaining(deadline);
        if (remaining == 0) {
            return nullptr;
        }
        // Windows reports another process's new windows to this thread; Wine
        // 8 does not, so the windows are looked at again after a short turn
        // too. The process's end always ends the wait.
        const DWORD turn = remaining < kRecheckMs ? remaining : kRecheckMs;
        if (MsgWaitForMultipleObjects(handles, &watched.process, FALSE, turn, QS_ALLINPUT) == WAIT_OBJECT_0 &&
            handles != 0) {
            return FindProcessWindow(watched.processId, match);
        }
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
    }
}

} // namespace

HWND FindProcessWindow(DWORD processId, const WindowMatch& match)
{
    Search search{processId, &match};
    EnumWindows(&CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForProcessWindow(HANDLE process, DWORD processId, const WindowMatch& match, DWORD timeoutMs)
{
    // A process showing a window waits for input in its modal loop.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    WaitForInputIdle(process, timeoutMs);
    return WaitForWindow({process, processId, WINEVENT_SKIPOWNPROCESS}, match, Remaining(deadline));
}

HWND WaitForOwnWindow(const WindowMatch& match, DWORD timeoutMs)
{
    // This process does not end under the wait, and is not idle while one
    // of its threads waits here.
    return WaitForWindow({nullptr, GetCurrentProcessId(), 0}, match, timeoutMs);
}

bool WaitForWindowGone(HANDLE process, HWND window, DWORD timeoutMs)
{
    // Destruction, like creation, is looked for after each short turn; the
    // process's end destroys its windows and ends the wait.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    while (IsWindow(window)) {
        const DWORD remaining = Remaining(deadline);
        if (remaining == 0) {
            return false;
        }
        WaitForSingleObject(process, remaining < kRecheckMs ? remaining : kRecheckMs);
    }
    return true;
}

std::vector<std::wstring> StaticTexts(HWND window)
{
    std::vector<std::wstring> texts;
    EnumChildWindows(window, &CollectStatic, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool TypeIntoItem(HWND dialog, int item, const std::wstring& text)
{
    return SetDlgItemTextW(dialog, item, text.c_str()) != FALSE;
}

void PressButton(HWND dialog, int button)
{
    // A click's notice names the button's window too.
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

bool PressButtonAndWait(HWND dialog, int button, DWORD timeoutMs)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)), SMTO_NORMAL, timeoutMs,
                               &ignored) != 0;
}

} // namespace brwtest
