#pragma once
// The documents of a database modified since a time, handed id by id to a
// processor exactly as the table holds them (deletion stubs keep their top
// bit).
#include "notesdata/notes/Processors.h"

#include <notesapi.h>

namespace brw {

// The table call's status; a failed call walks nothing. until receives the
// table's until-time when given.
STATUS WalkModifiedDocuments(DBHANDLE db, const TIMEDATE& since, IIDTableProcessor& processor,
                             TIMEDATE* until = nullptr);

} // namespace brw
