// The failure trail: one line per failed step, written when the user's
// DebugConsole setting is 1, so that "nothing gets indexed" can be traced to
// the step and the error that stopped it. The handler runs inside the
// indexer's and the shell's processes, which have no console, so each line
// also goes to the debugger output (DebugView and the like show it).
#pragma once

#include <windows.h>

#include <string>

namespace brw {

// "<component>: <step> failed 0x%08X\n".
std::wstring FormatFailureLine(const wchar_t* component, const wchar_t* step, HRESULT result);

// Writes the line when the trail is on; never changes the caller's outcome.
void TraceFailure(const wchar_t* component, const wchar_t* step, HRESULT result) noexcept;

// The same for a Win32 error code (GetLastError, LSTATUS).
void TraceWin32Failure(const wchar_t* component, const wchar_t* step, DWORD error) noexcept;

} // namespace brw
