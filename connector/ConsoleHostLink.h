#pragma once
// The connector's side of the console host handshake. A GUI program has no
// console; for its debug lines it borrows the console of BRWHC, which it
// starts in a new console, attaches to, and then releases through the close
// event. When that fails it makes a hidden console of its own.
#include "common/Handles.h"

#include <windows.h>

#include <string>

namespace brw {

struct ConsoleHostOptions {
    std::wstring program = L"BRWHC.EXE"; // found by the normal program search
    bool visible = false;                // shown only when debug output is on
    DWORD attachIntervalMs = 1000;
    int attachTries = 5;
};

enum class ConsoleSource {
    HostConsole, // attached to BRWHC's console
    OwnConsole,  // BRWHC missing or not attachable: a hidden console of our own
    None,        // not even that could be made
};

class ConsoleHostLink {
public:
    explicit ConsoleHostLink(ConsoleHostOptions options);
    // Detaches and signals the close event once more, so that a host whose
    // attach failed, and which still waits, ends too.
    ~ConsoleHostLink();
    ConsoleHostLink(const ConsoleHostLink&) = delete;
    ConsoleHostLink& operator=(const ConsoleHostLink&) = delete;

    ConsoleSource Start();
    // Leaves the current console and starts over with a new host.
    ConsoleSource Restart();

    DWORD HostProcessId() const { return hostProcessId_; }

private:
    bool StartHost(KernelHandle& process);
    bool AttachToHost(HANDLE process);
    ConsoleSource MakeOwnConsole();
    void UseConsoleForStandardOutput();
    void ReleaseStandardHandles();

    ConsoleHostOptions options_;
    DWORD hostProcessId_ = 0;
    // The console output handle this link made and lent to the standard
    // handle table; it is taken back and closed, with the other standard
    // handles of the console, before the console is left, so each restart
    // replaces them instead of adding to them.
    FileHandle output_;
};

// Sets the close event (creating it when the host has not yet); false when
// the name is held by another kind of object.
bool SignalConsoleHostCloseEvent();

} // namespace brw
