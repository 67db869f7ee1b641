#pragma once
// The install check at every start: a new installation gives the program
// file a new creation time (or sets JustInstalled), and then every chosen
// database is indexed again from the start and the index change monitor
// adopts the current index as its baseline.
#include <windows.h>

#include <optional>
#include <string>

namespace brw {

enum class InstallCheckResult {
    Done,
    ProgramNotExaminable, // start-up ends without Notes
};

// Longest program path the check examines, in characters.
inline constexpr DWORD kProgramPathLimit = 256;

// This program's path; nothing when it does not fit in capacity characters
// (a cut path could name another file) or cannot be read.
std::optional<std::wstring> OwnProgramPath(DWORD capacity = kProgramPathLimit);

// Compares creation with LastData1/LastData2, resets when due, and records
// creation unless it matched.
void ApplyInstallCheck(const FILETIME& creation);

// The whole check on this program's own file.
InstallCheckResult RunInstallCheck();

} // namespace brw
