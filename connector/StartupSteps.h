#pragma once
// The small steps of start-up that depend on nothing else of the program.
#include <windows.h>

namespace brw {

inline constexpr wchar_t kNotesPreloaderName[] = L"nntspreld.exe";

// A run that could not make its main window served nothing and showed
// nothing; whoever started the program learns that from this exit code.
inline constexpr int kNoMainWindowExitCode = 1;

// True while a process of that name (any letter case) runs.
bool IsProcessRunning(const wchar_t* executableName);

// Gives the Notes preloader up to five five-second turns to finish before
// Notes is initialised beside it; start-up goes on regardless after that.
void WaitForNotesPreloader();

// The process's shutdown level and flags on the console.
void LogShutdownParameters();

// Makes an invalid argument to a runtime library function end the process
// at once instead of carrying on with whatever the function returned.
void MakeInvalidParametersFatal();

} // namespace brw
