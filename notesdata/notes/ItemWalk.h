#pragma once
// A document as the calls of a NoteItemProcessor: first its modification
// time, then its items in order, each by its type. Shared by every export
// of a document's fields.
#include "notesdata/notes/NoteDocument.h"
#include "notesdata/notes/Processors.h"

#include <windows.h>

namespace brw {

// The name the document's modification time is handed on under.
inline constexpr char kModifiedTimeName[] = "$ModifiedTime";

// Rich-text fields and attachments are handed over with the walk's own
// reference, released after the call: a processor that keeps one adds its
// own. A processor call that returns false ends the walk. noteSize gets the
// sum of the lengths of all values walked (bytes). True when the walk went
// past the last item.
bool WalkNoteItems(NoteDocument& document, NoteItemProcessor& processor, DWORD* noteSize);

} // namespace brw
