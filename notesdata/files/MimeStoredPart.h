#pragma once
// The content of a MIME part that Notes keeps in a file object of the note
// rather than in its MIME part item (a large text part, most often): the
// file item of that name is extracted into the request's folder, read and
// deleted again.
#include "notesdata/mime/MessageText.h"
#include "notesdata/notes/NoteDocument.h"

#include <optional>
#include <string>

namespace brw {

// Content larger than this is not read as text.
inline constexpr DWORD kLargestStoredPartBytes = 16 * 1024 * 1024;

// The bytes of the file item whose stored name is objectName (Notes text);
// nothing when the note has no such file item, it is larger than
// kLargestStoredPartBytes, or it cannot be extracted and read.
std::optional<std::string> ReadStoredMimePart(NoteDocument& document, const std::string& objectName,
                                              const std::wstring& tempDir);

// A reader of the document's stored parts for the message text.
mime::StoredPartReader StoredPartReaderFor(NoteDocument& document, const std::wstring& tempDir);

} // namespace brw
