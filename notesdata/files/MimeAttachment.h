#pragma once
// A file carried inside a document's MIME body: listed and numbered after
// the document's file items, extracted from its decoded bytes under the
// same folder and naming rules.
#include "notesdata/commands/QXObject.h"
#include "notesdata/notes/NoteDocument.h"

#include <notesapi.h>

#include <optional>
#include <string>

namespace brw {

class MimeAttachment : public QXObject {
public:
    // part: the index of the part in the document's parsed MIME body, whose
    // data stays where it stands, transfer-encoded, until the file is
    // extracted; fileSize: its decoded size.
    MimeAttachment(NoteDocument& document, WORD index, size_t part, std::wstring fileName, DWORD fileSize,
                   const TIMEDATE& modified);

    NoteDocument& Document() const { return document_; }
    WORD Index() const { return index_; }
    // The name the message gives the file, decoded; may be empty.
    const std::wstring& FileName() const { return fileName_; }
    DWORD FileSize() const { return fileSize_; }
    // Empty when the document's MIME body is no longer at hand.
    std::string DecodedBytes() const;
    const TIMEDATE& Modified() const { return modified_; }

private:
    NoteDocument& document_;
    WORD index_;
    size_t part_;
    std::wstring fileName_;
    DWORD fileSize_;
    TIMEDATE modified_;
};

// The files of the document's MIME body in their order, numbered on from
// the document's attachment counter, added to the list. A part without
// data is left out: Notes keeps such a part's file as a file item, which is
// listed already.
void CollectMimeAttachments(NoteDocument& document, QXObjectList& attachments);

// As ExtractAttachment: the file in the request's folder (an earlier copy
// is used again) and its path; nothing when it cannot be written.
std::optional<std::wstring> ExtractMimeAttachment(const MimeAttachment& attachment, const std::wstring& tempDir,
                                                  const std::wstring& extension);

} // namespace brw
