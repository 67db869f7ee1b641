#pragma once
// Finds the windows a process shows, the way a person at the screen would:
// by window class and title, and answers them. The wait is driven by the
// window events the system reports for that process, and ends early when
// the process ends. The same serves a dialog the test shows itself, from a
// second thread (tests/support/DialogUser.h).
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

// Waits up to timeoutMs for such a window of this process, which another
// of its threads shows (a dialog the test runs itself); null when none
// appears.
HWND WaitForOwnWindow(const WindowMatch& match, DWORD timeoutMs);

// Waits up to timeoutMs until window is destroyed; false when it is not.
bool WaitForWindowGone(HANDLE process, HWND window, DWORD timeoutMs);

// The texts of a window's static children (a message box's message).
std::vector<std::wstring> StaticTexts(HWND window);

// Types text into a dialog's item and presses a button, as a user would.
// PressButton returns at once: the press may show a box of its own, which
// someone has to answer before the dialog is done with it.
bool TypeIntoItem(HWND dialog, int item, const std::wstring& text);
void PressButton(HWND dialog, int button);
// Presses and returns once the dialog has handled the press; false when it
// did not within timeoutMs.
bool PressButtonAndWait(HWND dialog, int button, DWORD timeoutMs);

} // namespace brwtest
