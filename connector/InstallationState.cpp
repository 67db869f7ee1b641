#include "connector/InstallationState.h"

#include "connector/NotesDataDirectory.h"
#include "connector/SettingsStore.h"

namespace brw::discovery {
namespace {

bool DatabaseListHasEntries()
{
    RegKey list = settings::OpenDatabasesKey(KEY_READ);
    DWORD values = 0;
    return list &&
           RegQueryInfoKeyW(list.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                            nullptr, nullptr) == ERROR_SUCCESS &&
           values > 0;
}

// The scan's result, and Scanned set whatever it found.
bool ScanOnce(const DiscoveryInputs& inputs, HKEY mainKey)
{
    if (settings::IsFlagSet(mainKey, settings::kScanned)) {
        return false;
    }
    bool added = false;
    if (inputs.source != nullptr) {
        added = AddToDatabaseList(FindMailDatabases(inputs.scanRoot, *inputs.source)) > 0;
    }
    settings::WriteDword(mainKey, settings::kScanned, 1);
    return added;
}

} // namespace

InstallationState EvaluateInstallation(const DiscoveryInputs& inputs)
{
    RegKey mainKey = settings::OpenMainKeyForWriting();
    if (!settings::IsFlagSet(mainKey.get(), settings::kDisabled)) {
        return InstallationState::Enabled;
    }
    bool somethingToIndex = DatabaseListHasEntries() || MailFilesPresent(inputs.notesDirectory);
    somethingToIndex = ScanOnce(inputs, mainKey.get()) || somethingToIndex;
    return somethingToIndex ? InstallationState::ReadyToEnable : InstallationState::Disabled;
}

bool EnableInstallation()
{
    RegKey mainKey = settings::OpenMainKeyForWriting();
    return settings::DeleteValue(mainKey.get(), settings::kDisabled);
}

} // namespace brw::discovery
