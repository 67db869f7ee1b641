#pragma once
// The databases the user chose for indexing (the Databases list in the
// settings), handed to a search processor as if a directory search had
// found them: one entry per database with a single "$Path" item.
#include "notesdata/Processors.h"

namespace brw {

void SearchRegisteredDatabases(NSFSearchProcessor& processor);

}  // namespace brw
