#pragma once
// A search of a database or the data directory that hands each entry's text
// summary items to a processor.
#include <notesapi.h>

#include "notesdata/Processors.h"

namespace brw {

STATUS SearchWith(DBHANDLE handle, NSFSearchProcessor& processor);

// Walks one summary buffer (exposed for tests); a buffer whose item table
// does not fit its stated length is skipped whole.
void ProcessSummary(const ITEM_TABLE* summary, NSFSearchProcessor& processor);

}  // namespace brw
