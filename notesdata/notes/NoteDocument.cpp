#include "notesdata/notes/NoteDocument.h"

#include "notesdata/notes/MimeBody.h"
#include "notesdata/notes/MimeContent.h"

namespace brw {
namespace {

// Id 0 and ids with the deletion bit name no document; they come from
// requests and never reach the database.
bool CanNameDocument(NOTEID id)
{
    return id != 0 && (id & RRV_DELETED) == 0;
}

bool IsEncrypted(NOTEHANDLE note)
{
    BOOL sealed = FALSE;
    NSFNoteIsSignedOrSealed(note, nullptr, &sealed);
    return sealed != FALSE;
}

} // namespace

NoteDocument::NoteDocument(Db& database) : database_(database) {}

NoteDocument::~NoteDocument() = default;

const MimeContent* NoteDocument::Mime()
{
    if (!mimeRead_ && note_) {
        mime_ = ReadMimeContent(note_.get());
        mimeRead_ = true;
    }
    return mime_.get();
}

bool NoteDocument::Open(NOTEID id)
{
    Close();
    NOTEHANDLE opened = 0;
    if (!database_.IsOpen() || !CanNameDocument(id) ||
        NSFNoteOpen(database_.Handle(), id, 0, &opened) != NOERROR_STATUS || opened == 0) {
        return false;
    }
    note_.reset(opened);
    if (IsEncrypted(note_.get())) {
        note_.reset();
        return false;
    }
    return true;
}

void NoteDocument::Close()
{
    note_.reset();
    attachmentCounter_ = 0;
    mime_.reset();
    mimeRead_ = false;
}

NOTEID NoteDocument::NoteId() const
{
    NOTEID id = 0;
    if (note_) {
        NSFNoteGetInfo(note_.get(), _NOTE_ID, &id);
    }
    return id;
}

} // namespace brw
