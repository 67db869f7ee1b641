#pragma once
// The product's registry settings and the rules every reader follows: a
// flag is set only as a REG_DWORD equal to 1; a string is REG_SZ or
// REG_EXPAND_SZ (not expanded), of even length, NUL-terminated within its
// length and within the reader's limit. Anything else reads as absent.
#include "common/DebugConsole.h"
#include "common/Handles.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace brw::settings {

// HKEY_CURRENT_USER: the main key (kSettingsKeyPath) and the list of
// databases chosen for indexing below it. HKEY_LOCAL_MACHINE: the policy
// key (same path) and the Notes client's own key.
inline constexpr wchar_t kDatabasesKeyPath[] = L"Software\\FenwoldInc\\BRW\\Databases";
inline constexpr wchar_t kNotesKeyPath[] = L"SOFTWARE\\Lotus\\Notes";

inline constexpr wchar_t kIndexGuid[] = L"IndexGUID";
inline constexpr wchar_t kRememberPassword[] = L"RememberPassword";
inline constexpr wchar_t kCachedPassword[] = L"Idx89";
inline constexpr wchar_t kManualSelection[] = L"ManualSelection";
inline constexpr wchar_t kScanned[] = L"Scanned";
inline constexpr wchar_t kLastData1[] = L"LastData1";
inline constexpr wchar_t kLastData2[] = L"LastData2";
inline constexpr wchar_t kDisabled[] = L"Disabled";
inline constexpr wchar_t kJustInstalled[] = L"JustInstalled";
inline constexpr wchar_t kHidePasswordCheckBox[] = L"HidePWCheckBox";
inline constexpr wchar_t kNotesPath[] = L"Path";
inline constexpr wchar_t kNotesDataPath[] = L"DataPath";
inline constexpr wchar_t kNotesMultiUser[] = L"MultiUser";

// Longest database path a value name of the list holds.
inline constexpr size_t kDatabasePathLimit = 256;

// Opens root\path for reading without creating it; empty when it is missing.
RegKey OpenForReading(HKEY root, const wchar_t* path);

// Opens the list of databases, creating it when missing, as every user of
// the list does; empty only when even that fails.
RegKey OpenDatabasesKey(REGSAM access = KEY_READ | KEY_WRITE);

bool IsFlagSet(HKEY key, const wchar_t* name);
bool IsFlagSet(HKEY root, const wchar_t* path, const wchar_t* name);

// At most maxChars characters, the terminating NUL not counted.
std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name, size_t maxChars);
std::optional<std::wstring> ReadString(HKEY root, const wchar_t* path, const wchar_t* name, size_t maxChars);

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name);

// Writers report success; a caller that has nowhere to report it ignores it.
bool WriteDword(HKEY key, const wchar_t* name, DWORD value);
bool WriteString(HKEY key, const wchar_t* name, const std::wstring& value);
bool DeleteValue(HKEY key, const wchar_t* name);

// The per-user main key for the writers that may create it, or the ones
// that only open it.
RegKey CreateMainKey();
RegKey OpenMainKeyForWriting();

struct DatabaseEntry {
    std::wstring path;                // the value name, as Notes opens it
    std::optional<std::wstring> data; // absent when not a readable string
};

// Every value of the list in the registry's enumeration order; names longer
// than the path limit are skipped.
std::vector<DatabaseEntry> ReadDatabaseList(size_t dataLimit);

// The same over a list key the caller holds open. Only a name too long is
// skipped: any other failure (the key deleted while open answers
// ERROR_KEY_DELETED for every index) ends the list.
std::vector<DatabaseEntry> ReadDatabaseListFrom(HKEY list, size_t dataLimit);

// Empties the data of every listed database, keeping the names, so each is
// indexed again from the start.
void ResetDatabaseList();

} // namespace brw::settings
