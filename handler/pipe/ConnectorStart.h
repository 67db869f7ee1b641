// Starting the connector when its pipe is missing, and finding the Notes
// program directory it is installed in.
#pragma once
#include "common/Handles.h"
#include "common/PipeProtocol.h"

#include <windows.h>

#include <string>

namespace brw {

constexpr wchar_t kConnectorFileName[] = L"BRWConnector.EXE";
constexpr DWORD kConnectorStartPauseMs = 10000;
// The Notes directory and the connector's full path each fit in this many
// units, the terminating NUL included.
constexpr int kProgramDirectoryUnits = 261;

// Starts the connector unless another handler process has just done so or
// it already runs in this logon session. True when the connector should now
// be coming up; false with the reason in the last error.
bool StartConnector() noexcept;
// The same with the pause before the process check given, for callers that
// cannot wait the full pause.
bool StartConnectorAfter(DWORD pauseMs) noexcept;

// True when the calling thread acts as its process's own user (it does not
// impersonate): only then may it start the per-user tray program. A service
// that impersonates the user would start it as itself, in its own session,
// where it would hold the pipe for ever. False with ERROR_BAD_TOKEN_TYPE
// for an impersonating thread.
bool ActsAsProcessUser() noexcept;

// A process whose executable file name equals name, without regard to case,
// in this process's logon session; another session's connector serves
// another desktop, not us.
bool IsConnectorRunning(const wchar_t* name) noexcept;
// True when the process with this id runs in the given session.
bool IsInSession(DWORD processId, DWORD sessionId) noexcept;

// The Notes client's program directory from the 32-bit view of the machine's
// registry, as stored (no separator added).
bool GetNotesProgramDirectory(wchar_t (&buffer)[kProgramDirectoryUnits]) noexcept;

// The connector's path in directory: the directory as stored, followed by
// the file name. False, with ERROR_FILENAME_EXCED_RANGE, when it does not
// fit in kProgramDirectoryUnits; with ERROR_INVALID_NAME when the directory
// could not be quoted on a command line. Throws std::bad_alloc.
bool ConnectorProgramPath(const wchar_t* directory, std::wstring* path);

// Starts the connector program of directory with directory as its current
// directory: the process, or an empty holder with the last error set.
// Throws std::bad_alloc.
KernelHandle LaunchConnectorProcess(const wchar_t* directory);

} // namespace brw
