#include "notesdata/notes/NoteTableWalk.h"

#include "notesdata/notes/NotesHandles.h"

namespace brw {

STATUS WalkModifiedDocuments(DBHANDLE db, const TIMEDATE& since, IIDTableProcessor& processor, TIMEDATE* until)
{
    TIMEDATE tableUntil{};
    IdTableHandle table;
    const STATUS status = NSFDbGetModifiedNoteTable(db, NOTE_CLASS_DOCUMENT, since, &tableUntil, table.put());
    if (status != NOERROR_STATUS) {
        return status;
    }
    if (until != nullptr) {
        *until = tableUntil;
    }
    DWORD id = 0;
    for (BOOL first = TRUE; IDScan(table.get(), first, &id); first = FALSE) {
        if (!processor.OnNoteId(id)) {
            break;
        }
    }
    return NOERROR_STATUS;
}

} // namespace brw
