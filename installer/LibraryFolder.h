// The folder a type library's registration names (its HELPDIR): the
// library's folder without the closing backslash, as a module writes it when
// it registers itself. The installer's directory properties always end in a
// backslash and its formatting cannot take one away, so the package sets
// the folder text in a custom action before it writes the registry.
#pragma once

#include <string>

namespace brw {

// The installer's properties the package's TypeLib keys read.
inline constexpr wchar_t kNotesLibraryFolderProperty[] = L"NotesLibraryFolder";
inline constexpr wchar_t kProgramLibraryFolderProperty[] = L"ProgramLibraryFolder";

// A directory property's text less one closing backslash: "C:\Notes\" is
// "C:\Notes", "C:\" is "C:". Text without one is returned as it is.
std::wstring LibraryFolderText(const std::wstring& directory);

} // namespace brw
