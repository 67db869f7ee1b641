#pragma once
// One open document of a database: the note handle, the database it lives
// in, and the counter that numbers its file attachments in item order.
#include "notesdata/notes/Db.h"
#include "notesdata/notes/NotesHandles.h"

#include <notesapi.h>

#include <memory>

namespace brw {

struct MimeContent;

class NoteDocument {
public:
    explicit NoteDocument(Db& database);
    virtual ~NoteDocument();
    NoteDocument(const NoteDocument&) = delete;
    NoteDocument& operator=(const NoteDocument&) = delete;

    // False when the note does not open or is encrypted: an encrypted note
    // holds nothing we could show, so it counts as gone. Nothing is held
    // then.
    bool Open(NOTEID id);
    void Close();

    bool IsOpen() const { return static_cast<bool>(note_); }
    NOTEHANDLE Handle() const { return note_.get(); }
    Db& Database() const { return database_; }
    // The id the note header holds.
    NOTEID NoteId() const;

    // The index of the next file attachment, counted from 0.
    WORD NextAttachmentIndex() { return attachmentCounter_++; }

    // The note's MIME body, read and parsed at the first call while the
    // note is open (the fields, the body file and the attachments all need
    // it); null when the note keeps no MIME parts.
    const MimeContent* Mime();

private:
    Db& database_;
    NoteHandle note_;
    WORD attachmentCounter_ = 0;
    std::unique_ptr<MimeContent> mime_;
    bool mimeRead_ = false;
};

} // namespace brw
