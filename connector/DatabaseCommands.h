#pragma once
// The database list window's commands: the list in the main window's
// client area, and what the Edit menu and Index Document do to it. Each
// command acts on the databases of the rows the user selected, which the
// rows know themselves.
#include "connector/DatabaseInfoSource.h"
#include "connector/DatabaseListView.h"
#include "connector/DatabaseRows.h"
#include "connector/IndexExclusion.h"

#include <windows.h>

namespace brw {

inline constexpr wchar_t kPasswordClearedMessage[] =
    L"The cached password has been cleared.\n\nThis change will take effect when this application is restarted.";
inline constexpr wchar_t kSelectDatabaseFirstMessage[] =
    L"Select a database and then choose the Index Document menu item";
inline constexpr wchar_t kEnterNoteIdMessage[] = L"Enter a document note id in hex format (e.g. A14)";
// The picker's path buffer, in characters.
inline constexpr int kSelectedPathLength = 256;

class DatabaseCommands {
public:
    DatabaseCommands(HINSTANCE instance, DatabaseInfoSource& source, IndexExclusion& exclusion);
    DatabaseCommands(const DatabaseCommands&) = delete;
    DatabaseCommands& operator=(const DatabaseCommands&) = delete;

    // The list control over window's client area; false when it cannot be
    // made.
    bool Create(HWND window);
    DatabaseListView& View() { return view_; }

    void Refresh() { view_.Refresh(); }
    // Refresh that keeps the rows of the same databases selected, for
    // updates the user did not ask for.
    void RefreshKeepingSelection();

    void AddApplication();
    void Delete();
    void IndexDocument();
    void ClearPassword();

private:
    HINSTANCE instance_;
    HWND window_ = nullptr;
    DatabaseRows rows_;
    DatabaseListView view_;
};

// Asks the crawl for a pass at once, so changes show in seconds.
void RequestCrawlNow();

} // namespace brw
