#pragma once
// A click on the tray icon. It looks again whether an installation marked
// disabled has something to index (mail discovery); one that has, or whose
// user answers Yes, is enabled the same way: the Notes login, serving
// started, only then the mark removed, and the crawl asked for a pass at
// once. A cancelled login leaves everything as it was.
#include "connector/DatabaseInfoSource.h"
#include "connector/InstallationState.h"
#include "connector/Serving.h"

#include <windows.h>

namespace brw {

inline constexpr wchar_t kEnableQuestion[] = L"Do you want to enable Brimlow Search?";

// Whether an installation marked disabled has something to index now (the
// disk scan runs once per user), with the password watch on, since the scan
// opens databases. Start-up asks the same.
discovery::InstallationState LookForSomethingToIndex(DatabaseInfoSource& source);

enum class TrayOutcome {
    ShowList,   // refresh the list and bring the window up
    StayHidden, // enabling ran, or was refused by a cancelled login
};

class TrayAction {
public:
    TrayAction(Serving& serving, DatabaseInfoSource& source);
    TrayAction(const TrayAction&) = delete;
    TrayAction& operator=(const TrayAction&) = delete;

    // window owns the question.
    TrayOutcome Run(HWND window);

private:
    bool EnableAndServe();

    Serving& serving_;
    DatabaseInfoSource& source_;
};

} // namespace brw
