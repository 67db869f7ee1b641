#pragma once
// The "Index the Specified Document" dialog: asks for a note id in
// hexadecimal.
#include <windows.h>

#include <optional>
#include <string>

namespace brw {

// Longest note id text taken from the box.
inline constexpr int kNoteIdTextLimit = 49;

// The text typed (possibly empty) when OK closed the dialog; nothing for
// Cancel.
std::optional<std::wstring> AskForNoteId(HINSTANCE instance, HWND owner);

} // namespace brw
