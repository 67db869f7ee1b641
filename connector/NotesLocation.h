#pragma once
// Finding the Notes client and loading its library from where it is
// installed: the connector lives in the Notes program directory and works
// there, so that nnotes.dll and everything it loads come from that folder.
#include "common/Handles.h"

#include <windows.h>

#include <optional>
#include <string>

namespace brw {

inline constexpr wchar_t kProductTitle[] = L"Brimlow Search";
inline constexpr wchar_t kNotesPathMissingMessage[] = L"Cannot locate the path to Lotus Notes from the registry.";
inline constexpr wchar_t kNotesLoadFailedMessage[] = L"Cannot load nnotes.dll";
inline constexpr wchar_t kNotesLibraryName[] = L"nnotes.dll";
// Longest Notes program path, in characters.
inline constexpr size_t kNotesPathLimit = 259;

// The Notes program directory from the machine's Notes key (the 32-bit view,
// where a 32-bit Notes client registers); nothing when it cannot be read.
std::optional<std::wstring> NotesProgramPath();

// Makes the Notes folder current and loads its library; on failure tells the
// user which of the two went wrong and returns nothing.
ModuleHandle LocateAndLoadNotes();

} // namespace brw
