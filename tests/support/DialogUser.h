#pragma once
// Plays the user of a dialog that the test shows modally on its own thread:
// a second thread waits for the dialog to be shown, finds it the way
// WindowWatch finds any program's windows, and acts on it as a person
// would. Whatever the user's part leaves open is cancelled, so a case that
// fails still ends. It reports to GoogleTest, so it lives in this header
// for the test programs alone.
#include "tests/support/WindowWatch.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <functional>
#include <thread>
#include <utility>

namespace brwtest {

class DialogUser {
public:
    using Part = std::function<void(HWND dialog)>;

    // Starts playing at once; make it just before the dialog is shown. A
    // dialog that is not shown within timeoutMs is a failure at the
    // caller's line.
    DialogUser(WindowMatch dialog, Part part, DWORD timeoutMs, const char* file = __builtin_FILE(),
               int line = __builtin_LINE())
        : user_([dialog, part = std::move(part), timeoutMs, file, line] { Play(dialog, part, timeoutMs, file, line); })
    {
    }
    // Waits for the user's part to end.
    ~DialogUser() { user_.join(); }
    DialogUser(const DialogUser&) = delete;
    DialogUser& operator=(const DialogUser&) = delete;

private:
    static void Play(const WindowMatch& dialog, const Part& part, DWORD timeoutMs, const char* file, int line)
    {
        const HWND shown = WaitForOwnWindow(dialog, timeoutMs);
        if (shown == nullptr) {
            // A trace of the test's thread does not reach this one.
            ADD_FAILURE_AT(file, line) << "the dialog did not appear";
            return;
        }
        part(shown);
        if (IsWindow(shown) && IsWindowVisible(shown)) {
            PostMessageW(shown, WM_COMMAND, IDCANCEL, 0);
        }
    }

    std::thread user_;
};

} // namespace brwtest
