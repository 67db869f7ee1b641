// Names the package's source (Product.wxs.in) and the generated registration
// fragments share: where each file goes and the id the installer knows it by.
#pragma once

namespace brw {

// Program Files\Brimlow Search: the 64-bit handler and launcher.
inline constexpr wchar_t kProgramDirectoryId[] = L"INSTALLDIR";
// The Notes program directory, found in the machine's registry at install time.
inline constexpr wchar_t kNotesDirectoryId[] = L"NOTESDIR";

// A file's full installed path as the installer formats it: "[#<file id>]".
inline constexpr wchar_t kHandlerFilePath[] = L"[#BRWHandler.dll]";
inline constexpr wchar_t kLauncherFilePath[] = L"[#BRW.exe]";
inline constexpr wchar_t kMonitorFilePath[] = L"[#BRWMon32.dll]";

// The type libraries the package carries beside their modules.
inline constexpr wchar_t kMonitorLibraryFilePath[] = L"[#BRWMon32.tlb]";
inline constexpr wchar_t kLauncherLibraryFilePath[] = L"[#BRW.tlb]";
// The tokens a type library's registration script carries: its file and
// its folder.
inline constexpr wchar_t kLibraryFileToken[] = L"TYPELIB";
inline constexpr wchar_t kLibraryFolderToken[] = L"TYPELIBDIR";

inline constexpr wchar_t kRegistration32Group[] = L"Registration32";
inline constexpr wchar_t kRegistration64Group[] = L"Registration64";

} // namespace brw
