// Starting the connector when its pipe is missing, and finding the Notes
// program directory it is installed in.
#pragma once
#include <windows.h>

namespace brw {

constexpr wchar_t kConnectorStartSemaphore[] = L"Global\\QXServer";
constexpr wchar_t kConnectorFileName[] = L"BRWConnector.EXE";
constexpr DWORD kConnectorStartPauseMs = 10000;
constexpr int kProgramDirectoryUnits = 261;

// Starts the connector unless another handler process has just done so or
// it already runs. True when the connector should now be coming up.
bool StartConnector();
// The same with the pause before the process check given, for callers that
// cannot wait the full pause.
bool StartConnectorAfter(DWORD pauseMs);

// A process whose executable file name equals name, without regard to case.
bool IsConnectorRunning(const wchar_t* name);

// The Notes client's program directory from the 32-bit view of the machine's
// registry, as stored (no separator added).
bool GetNotesProgramDirectory(wchar_t (&buffer)[kProgramDirectoryUnits]);

} // namespace brw
