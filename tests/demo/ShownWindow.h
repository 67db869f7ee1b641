#pragma once
// The first window a program shows, whatever it is: a started program's
// prompt, message box or main window.
#include <windows.h>

#include <string>

namespace brwdemo {

struct ShownWindow {
    HWND handle = nullptr;
    std::wstring className;
    std::wstring title;
};

// A visible top-level window of the process with a title, waiting up to
// timeoutMs; no handle when none shows or the process ends first.
ShownWindow WaitForShownWindow(HANDLE process, DWORD processId, DWORD timeoutMs);

} // namespace brwdemo
