#pragma once
// The MIME entity of an Internet mail note: Notes keeps it split over the
// note's MIME_PART items, each holding a boundary, headers and data.
#include <notesapi.h>

#include <string>

namespace brw {

// The bytes of all MIME_PART items in their stored order, joined; empty
// when the note has none. A part whose data lies in an attached object
// gives its boundary and headers only. At most maxBytes are joined.
std::string ReadMimeEntity(NOTEHANDLE note, size_t maxBytes);

// The entity's readable text (MessageText of the parsed entity).
std::wstring MimeBodyText(NOTEHANDLE note);

} // namespace brw
