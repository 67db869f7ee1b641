#pragma once
// The MIME entity of an Internet mail note: Notes keeps it split over the
// note's MIME_PART items, each holding a boundary, headers and data.
#include "notesdata/mime/MessageText.h"
#include "notesdata/notes/NoteDocument.h"

#include <notesapi.h>

#include <memory>
#include <string>

namespace brw {

struct MimeContent;

// The bytes of all MIME_PART items in their stored order, joined, and the
// parts found in them; null when the note has none. A part whose data Notes
// keeps in a file object of the note gives its boundary and headers only,
// and the parser's part names that object (Part::storedAs).
std::unique_ptr<MimeContent> ReadMimeContent(NOTEHANDLE note);

// The readable text of the document's MIME body; empty without one. Text
// parts kept in file objects are read through readStored.
std::wstring MimeBodyText(NoteDocument& document, const mime::StoredPartReader& readStored = nullptr);

} // namespace brw
