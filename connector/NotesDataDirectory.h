#pragma once
// Where the user's Notes data lies, and whether a mail file is there. Notes
// keeps the user's own data directory in its "Directory" setting; the
// installation's DataPath is only the machine-wide default, and a
// multi-user installation keeps each user's data in the user's profile.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace brw::discovery {

// Every path built here must fit a Win32 path buffer with its NUL.
inline constexpr size_t kPathBufferLength = MAX_PATH;
// The installation's DataPath is read with this limit.
inline constexpr size_t kDataPathLimit = 260;

// The profile folders a multi-user installation puts the data in: the
// current one and the older roaming form, below USERPROFILE.
inline constexpr wchar_t kLocalAppDataNotes[] = L"AppData\\Local\\Lotus\\Notes\\Data";
inline constexpr wchar_t kRoamingAppDataNotes[] = L"AppData\\Lotus\\Notes\\Data";

// The places to look, most trusted first: Notes' own Directory setting
// (when the caller could read it), the installation's DataPath (single-user
// installations only), then the two profile forms. Candidates that would
// not fit a path buffer are left out.
std::vector<std::wstring> DataDirectoryCandidates(const std::optional<std::wstring>& notesDirectory);

// The first candidate that is an existing directory.
std::optional<std::wstring> UserDataDirectory(const std::optional<std::wstring>& notesDirectory);

// dataDirectory + "\mail\*.nsf" (one separator whether or not the directory
// ends in one); empty when it would not fit a path buffer.
std::wstring MailPattern(const std::wstring& dataDirectory);

// True when the user's data directory holds at least one mail\*.nsf file
// (a directory of that name does not count).
bool MailFilesPresent(const std::optional<std::wstring>& notesDirectory);

} // namespace brw::discovery
