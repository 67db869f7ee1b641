#pragma once
// The databases the user chose for indexing (the Databases list in the
// settings), handed to a search processor as if a directory search had
// found them: one entry per database with a single "$Path" item.
#include "notesdata/notes/Processors.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace brw {

// Reads the name of the value at index of an open key, as RegEnumValueW
// does; nameLength holds the buffer's size in characters and gets the
// name's length.
using ValueNameReader = LSTATUS (*)(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength);

// Calls visit with every value name of the key in the registry's order. A
// name longer than a database path is skipped; any other failure ends the
// walk, since a key deleted while it is open fails every index alike.
void ForEachValueName(HKEY key, const std::function<void(const std::wstring&)>& visit,
                      ValueNameReader reader = nullptr);

// The paths of the Databases list; empty when it is missing.
std::vector<std::wstring> RegisteredDatabasePaths();

void SearchRegisteredDatabases(NSFSearchProcessor& processor);

} // namespace brw
