#pragma once
// Finds the windows another process shows, the way a person at the screen
// would: by window class and title. The wait is driven by the window events
// the system reports for that process, and ends early when the process ends.
#include <windows.h>

#include <string>
#include <vector>

namespace brwtest {

enum class Shown {
    Any,
    // Only once shown: a dialog is shown after its items were made and
    // initialised, so a visible one is ready to be answered.
    Visible,
};

struct WindowMatch {
    const wchar_t* className; // "#32770" for dialogs and message boxes
    const wchar_t* title;     // the exact title
    Shown shown = Shown::Any;
};

// A top-level window of the process that matches, or null.
HWND FindProcessWindow(DWORD processId, const WindowMatch& match);

// Waits up to timeoutMs for such a window; null when it does not appear or
// the process ends first.
HWND WaitForProcessWindow(HANDLE process, DWORD processId, const WindowMatch& match, DWORD timeoutMs);

// Waits up to timeoutMs until window is destroyed; false when it is not.
bool WaitForWindowGone(HANDLE process, HWND window, DWORD timeoutMs);

// The texts of a window's static children (a message box's message).
std::vector<std::wstring> StaticTexts(HWND window);

// Types text into a dialog's item and presses a button, as a user would.
bool TypeIntoItem(HWND dialog, int item, const std::wstring& text);
void PressButton(HWND dialog, int button);

} // namespace brwtest
