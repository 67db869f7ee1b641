#pragma once
// What a user does in the demo, done the way the user's session does it:
// logging on starts the connector from the machine's Run key and the Notes
// password is typed into its prompt; a result is opened by handing its URL
// to the shell, as Explorer does; the tray's "update the index now" is the
// window command the connector's menu sends. Each step says what the user
// would have seen, or why it could not be done.
#include <windows.h>

#include <string>

namespace brwdemo {

struct StepResult {
    bool done = false;
    std::wstring seen; // what appeared, in the user's words, or what failed
};

enum class Remember { No, Yes };

// Starts the Run key's "Brimlow Search" command and answers the Notes
// password prompt it shows, once. The connector keeps running.
StepResult LogOn(const std::wstring& password, Remember remember, DWORD timeoutMs);

// Opens url through the shell and deals with what opened as the user
// would: a Notes password prompt is answered, and the program's first
// window is read and closed. seen is "<program>: <window title>: <text>".
StepResult OpenAsExplorer(const std::wstring& url, const std::wstring& password, DWORD timeoutMs);

// Posts the connector's "update the index now" command to its window.
StepResult AskForCrawlNow();

} // namespace brwdemo
