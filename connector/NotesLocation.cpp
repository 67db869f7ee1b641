#include "connector/NotesLocation.h"

#include "common/FailureTrail.h"
#include "connector/SettingsStore.h"

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"BRWConnector";

void Tell(const wchar_t* message)
{
    MessageBoxW(nullptr, message, kProductTitle, MB_OK);
}

} // namespace

std::optional<std::wstring> NotesProgramPath()
{
    RegKey notes;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, settings::kNotesKeyPath, 0, KEY_READ | KEY_WOW64_32KEY, notes.put()) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    return settings::ReadString(notes.get(), settings::kNotesPath, kNotesPathLimit);
}

ModuleHandle LocateAndLoadNotes()
{
    const std::optional<std::wstring> path = NotesProgramPath();
    if (!path) {
        Tell(kNotesPathMissingMessage);
        return ModuleHandle();
    }
    if (!SetCurrentDirectoryW(path->c_str())) {
        TraceWin32Failure(kComponent, L"SetCurrentDirectory", GetLastError());
        Tell(kNotesLoadFailedMessage);
        return ModuleHandle();
    }
    ModuleHandle notes(LoadLibraryW(kNotesLibraryName));
    if (!notes) {
        TraceWin32Failure(kComponent, L"LoadLibrary nnotes.dll", GetLastError());
        Tell(kNotesLoadFailedMessage);
    }
    return notes;
}

} // namespace brw
