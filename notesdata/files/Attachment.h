#pragma once
// A file attached to a document (one file item of the note) and the names
// the document's rich text shows for its attachments.
#include "notesdata/commands/QXObject.h"
#include "notesdata/notes/NoteDocument.h"
#include "notesdata/notes/NoteItems.h"

#include <notesapi.h>

#include <optional>
#include <string>

namespace brw {

class Attachment : public QXObject {
public:
    // The attachment a file item describes, numbered with the document's
    // next attachment index; null when the value is no file object or is
    // shorter than its object and file name say.
    static Attachment* FromFileItem(NoteDocument& document, const NoteItem& item, WORD itemNameLength,
                                    const char* value);

    NoteDocument& Document() const { return document_; }
    const NoteItem& Item() const { return item_; }
    WORD ItemNameLength() const { return itemNameLength_; }
    WORD Index() const { return index_; }
    // The stored file name (Notes text).
    const std::string& FileName() const { return fileName_; }
    DWORD FileSize() const { return fileSize_; }
    const TIMEDATE& Modified() const { return modified_; }

private:
    Attachment(NoteDocument& document, const NoteItem& item, WORD itemNameLength, WORD index)
        : document_(document), item_(item), itemNameLength_(itemNameLength), index_(index)
    {
    }

    NoteDocument& document_;
    NoteItem item_;
    WORD itemNameLength_;
    WORD index_;
    std::string fileName_;
    DWORD fileSize_ = 0;
    TIMEDATE modified_{};
};

// A file hotspot of rich text: the attachment's stored name and the name
// the document shows for it (both Notes text).
class AttachmentReference : public QXObject {
public:
    AttachmentReference(std::string storedName, std::string displayedName)
        : storedName_(std::move(storedName)), displayedName_(std::move(displayedName))
    {
    }

    const std::string& StoredName() const { return storedName_; }
    const std::string& DisplayedName() const { return displayedName_; }

private:
    std::string storedName_;
    std::string displayedName_;
};

// The hotspot data of a file reference: two NUL-terminated texts within
// length bytes. Null when either text runs past the data.
AttachmentReference* ReferenceFromHotspotData(const char* data, WORD length);

// The reference a rich-text record makes when it is a file hotspot with
// data that fits the record; null otherwise.
AttachmentReference* ReferenceFromHotspotRecord(const char* record, WORD signature, DWORD length);

// The name the document shows for the attachment: the displayed name of
// the first reference to its stored name, else the stored name.
std::string GetOriginalFileName(const QXObjectList& references, const Attachment& attachment);

// Writes the attached file into the request's folder (an earlier copy there
// is used again) and returns its path; nothing when the folder cannot be
// made or Notes cannot write the file. extension is the displayed name's,
// already checked to be harmless in a file name.
std::optional<std::wstring> ExtractAttachment(const Attachment& attachment, const std::wstring& tempDir,
                                              const std::wstring& extension);

} // namespace brw
