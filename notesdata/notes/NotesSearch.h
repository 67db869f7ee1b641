#pragma once
// A search of a database or the data directory that hands each entry's text
// summary items to a processor.
#include "notesdata/notes/Processors.h"

#include <notesapi.h>

namespace brw {

// A data directory search for the databases in it and below, with their
// summaries.
inline constexpr WORD kDirectorySearchFlags = SEARCH_SUMMARY | SEARCH_FILETYPE;      // 0x0006
inline constexpr WORD kDatabaseFiles = FILE_NOTEFILE | FILE_RECURSE | FILE_NOUPDIRS; // 0x6004

STATUS SearchWith(DBHANDLE handle, NSFSearchProcessor& processor);

// Walks one summary buffer (exposed for tests); a buffer whose item table
// does not fit its stated length is skipped whole.
void ProcessSummary(const ITEM_TABLE* summary, NSFSearchProcessor& processor);

} // namespace brw
