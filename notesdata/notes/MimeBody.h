#pragma once
// The MIME entity of an Internet mail note: Notes keeps it split over the
// note's MIME_PART items, each holding a boundary, headers and data.
#include "notesdata/notes/NoteDocument.h"

#include <notesapi.h>

#include <memory>
#include <string>

namespace brw {

struct MimeContent;

// The bytes of all MIME_PART items in their stored order, joined; empty
// when the note has none. A part whose data lies in an attached object
// gives its boundary and headers only. At most maxBytes are joined.
std::string ReadMimeEntity(NOTEHANDLE note, size_t maxBytes);

// The entity and its parts; null when the note has no MIME part items.
std::unique_ptr<MimeContent> ReadMimeContent(NOTEHANDLE note);

// The readable text of the document's MIME body; empty without one.
std::wstring MimeBodyText(NoteDocument& document);

} // namespace brw
