#pragma once
// The preview of Internet mail: Notes would show it from its MIME text, so
// the preview is RTF made from that text, headed by its subject and sender,
// rather than a rendering of items that hold no text of their own.
#include "notesdata/notes/NoteDocument.h"

#include <optional>
#include <string>

namespace brw {

// True when the note keeps its message as MIME parts.
bool HasMimeBody(NoteDocument& document);

// RTF text of a heading (bold) and a body; paragraphs at line breaks,
// characters beyond ASCII as Unicode escapes, RTF's own marks escaped.
std::string RtfOfText(const std::wstring& heading, const std::wstring& body);

// The ".rtf" body of the request; nothing when it cannot be written.
std::optional<std::wstring> WriteMimeRtfBody(NoteDocument& document, const std::wstring& tempDir);

} // namespace brw
