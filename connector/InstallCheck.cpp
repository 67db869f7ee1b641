#include "connector/InstallCheck.h"

#include "common/DebugConsole.h"
#include "connector/SettingsStore.h"

#include <vector>

namespace brw {
namespace {

enum class StoredTime { Missing, Unchanged, Changed, HalfStored };

StoredTime CompareStoredTime(const FILETIME& creation)
{
    const RegKey main = settings::OpenForReading(HKEY_CURRENT_USER, kSettingsKeyPath);
    const std::optional<DWORD> high = main ? settings::ReadDword(main.get(), settings::kLastData1) : std::nullopt;
    if (!high) {
        return StoredTime::Missing;
    }
    const std::optional<DWORD> low = settings::ReadDword(main.get(), settings::kLastData2);
    if (!low) {
        return StoredTime::HalfStored;
    }
    return *high == creation.dwHighDateTime && *low == creation.dwLowDateTime ? StoredTime::Unchanged
                                                                              : StoredTime::Changed;
}

void ResetIndexingState()
{
    const RegKey main = settings::OpenMainKeyForWriting();
    if (main) {
        settings::DeleteValue(main.get(), settings::kIndexGuid);
    }
    settings::ResetDatabaseList();
    if (main) {
        settings::DeleteValue(main.get(), settings::kJustInstalled);
    }
}

void RecordCreationTime(const FILETIME& creation)
{
    const RegKey main = settings::CreateMainKey();
    if (main && settings::WriteDword(main.get(), settings::kLastData1, creation.dwHighDateTime)) {
        settings::WriteDword(main.get(), settings::kLastData2, creation.dwLowDateTime);
    }
}

} // namespace

std::optional<std::wstring> OwnProgramPath(DWORD capacity)
{
    if (capacity == 0) {
        return std::nullopt;
    }
    std::vector<wchar_t> path(capacity);
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), capacity);
    // A path that fills the buffer was cut (Windows XP does not even say so).
    if (length == 0 || length >= capacity) {
        return std::nullopt;
    }
    return std::wstring(path.data(), length);
}

void ApplyInstallCheck(const FILETIME& creation)
{
    const bool justInstalled = settings::IsFlagSet(HKEY_CURRENT_USER, kSettingsKeyPath, settings::kJustInstalled);
    const StoredTime stored = CompareStoredTime(creation);
    if (justInstalled || stored == StoredTime::Missing || stored == StoredTime::Changed) {
        ResetIndexingState();
    }
    if (stored != StoredTime::Unchanged) {
        RecordCreationTime(creation);
    }
}

InstallCheckResult RunInstallCheck()
{
    const std::optional<std::wstring> path = OwnProgramPath();
    WIN32_FILE_ATTRIBUTE_DATA attributes{};
    if (!path || !GetFileAttributesExW(path->c_str(), GetFileExInfoStandard, &attributes)) {
        return InstallCheckResult::ProgramNotExaminable;
    }
    ApplyInstallCheck(attributes.ftCreationTime);
    return InstallCheckResult::Done;
}

} // namespace brw
