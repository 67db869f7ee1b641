#pragma once
// The body file a document's reply names: the plain text of its text and
// rich-text items for the indexer, or the document as its form renders it,
// in RTF, for the preview pane. Both go into the request's folder
// (TemporaryFiles.h) and are marked finished when complete.
#include "notesdata/notes/NoteDocument.h"

#include <optional>
#include <string>

namespace brw {

// UTF-16LE with a byte-order mark; nothing when the file cannot be written.
std::optional<std::wstring> WriteTextBody(NoteDocument& document, const std::wstring& tempDir);

// The ".rtf" path; nothing when the document cannot be rendered or its
// records cannot be written. Without the RTF converter no file exists there.
std::optional<std::wstring> WriteRtfBody(NoteDocument& document, const std::wstring& tempDir);

} // namespace brw
