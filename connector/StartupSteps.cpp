#include "connector/StartupSteps.h"

#include "common/DebugConsole.h"
#include "common/Handles.h"

#include <tlhelp32.h>

#include <cstdlib>

namespace brw {
namespace {

constexpr DWORD kPreloaderTurnMs = 5000;
constexpr int kPreloaderTurns = 5;
// The exit code of a process ended by an invalid runtime argument.
constexpr UINT kInvalidParameterExit = STATUS_INVALID_PARAMETER;

void __cdecl EndAtOnce(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, uintptr_t)
{
    TerminateProcess(GetCurrentProcess(), kInvalidParameterExit);
}

} // namespace

bool IsProcessRunning(const wchar_t* executableName)
{
    const FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry)) {
        if (lstrcmpiW(entry.szExeFile, executableName) == 0) {
            return true;
        }
    }
    return false;
}

void WaitForNotesPreloader()
{
    // The preloader has no signal to wait on; its end is only seen in the
    // process list.
    for (int turn = 0; turn < kPreloaderTurns && IsProcessRunning(kNotesPreloaderName); ++turn) {
        Sleep(kPreloaderTurnMs);
    }
}

void LogShutdownParameters()
{
    DWORD level = 0;
    DWORD flags = 0;
    if (GetProcessShutdownParameters(&level, &flags)) {
        LogLong(L"Shutdown Order", static_cast<long>(level));
        LogLong(L"BRWConnector Shutdown Flags", static_cast<long>(flags));
    } else {
        LogString(L"BRWConnector failed to retrieve shutdown parameters");
    }
}

void MakeInvalidParametersFatal()
{
    _set_invalid_parameter_handler(&EndAtOnce);
}

} // namespace brw
