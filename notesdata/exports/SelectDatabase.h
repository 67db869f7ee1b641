#pragma once
// The dialog in which the user picks a database to add to the list: the
// old-style open-file dialog in the Notes data directory, which refuses a
// choice that is not a database Notes can open.
#include <windows.h>
#include <commdlg.h>

namespace brw {

// Shows the dialog, modal on the calling thread. The path buffer is emptied
// first (a length of 0 or less leaves it untouched) and holds the chosen
// file's path when the result is true; it stays empty otherwise. A buffer
// of fewer than 2 characters can hold no path: false without a dialog.
bool ShowSelectDatabaseDialog(HINSTANCE instance, HWND owner, wchar_t* path, int pathLength);

// The dialog's check of a choice: there is a file name, the path names a
// file (not a folder) and the database opens. A database that does not
// open is reported in an "Error opening database" box owned by dialog.
bool IsSelectableDatabase(const OPENFILENAMEW& choice, HWND dialog);

} // namespace brw
