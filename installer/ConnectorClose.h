// Closes the connectors running on this desktop before the installer
// replaces or removes their files, the way the connector's own Exit does:
// WM_CLOSE to its main window, then the process ends by itself.
#pragma once

#include <windows.h>

#include <cstddef>

namespace brw {

// The connector's main window class.
inline constexpr wchar_t kConnectorWindowClass[] = L"BRWCONNECTOR";

// How long the installer waits for the connectors to end; a connector busy
// past it is left to the installer's own files-in-use handling.
inline constexpr DWORD kConnectorCloseWaitMs = 30000;

struct CloseResult {
    std::size_t asked = 0; // windows sent WM_CLOSE
    bool allEnded = true;  // every asked process ended within the wait
};

// Asks every top-level window of className to close and waits up to waitMs
// for their processes to end.
CloseResult CloseWindowsOfClass(const wchar_t* className, DWORD waitMs) noexcept;

} // namespace brw
