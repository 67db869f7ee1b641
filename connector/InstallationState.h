#pragma once
// Whether an installation marked disabled from outside has something to
// index yet: a listed database, a mail file in the user's Notes data, or a
// mail database found by the one-time disk scan. The mark itself is removed
// only by EnableInstallation, which the caller calls once the Notes login
// succeeded and serving started, so a cancelled login leaves the
// installation as disabled as it was.
#include "connector/DatabaseInfoSource.h"
#include "connector/MailDatabaseScan.h"

#include <optional>
#include <string>

namespace brw::discovery {

enum class InstallationState {
    Enabled,       // not marked disabled
    ReadyToEnable, // marked disabled, but there is something to index
    Disabled,      // marked disabled and nothing to index
};

struct DiscoveryInputs {
    DatabaseInfoSource* source = nullptr;       // opens databases for the scan
    std::optional<std::wstring> notesDirectory; // Notes' own Directory setting, when readable
    std::wstring scanRoot = kScanRoot;
};

// May add the scan's finds to the database list and sets Scanned after the
// scan, which runs once per user (also when something else was found
// already). The caller holds the password-dialog watch around it, since the
// scan opens databases.
InstallationState EvaluateInstallation(const DiscoveryInputs& inputs);

// Removes the disabled mark; true when it is gone.
bool EnableInstallation();

} // namespace brw::discovery
