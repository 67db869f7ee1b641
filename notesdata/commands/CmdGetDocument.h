#pragma once
// get_document: one document's fields, body file and attachments, or one
// attachment extracted to disk.
#include "notesdata/commands/CmdDatabaseOperation.h"
#include "notesdata/commands/QXObject.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/NoteDocument.h"
#include "notesdata/notes/Processors.h"

#include <memory>
#include <string>

namespace brw {

class Attachment;
class MimeAttachment;

class CmdGetDocument final : public CmdDatabaseOperation,
                             private NoteItemProcessor,
                             private CDRecordProcessor,
                             private QXObjectListEnumerator {
public:
    using CmdDatabaseOperation::CmdDatabaseOperation;

    // The database attributes, then id; without an id nothing else is read.
    bool ReadAttributes() override;
    // 0 for a written reply or "<deletedoc/>", 1 for a failure.
    int Execute(ReplyWriter* writer) override;

private:
    bool OnRichText(const char* name, RichTextField* field) override;
    bool OnText(const char* name, const char* value, WORD length) override;
    bool BeginTextList(const char* name, WORD count) override;
    bool OnTextListEntry(const char* value, WORD length) override;
    bool EndTextList() override;
    bool OnTime(const char* name, const wchar_t* text, int length) override;
    bool OnAttachment(const char* name, Attachment* attachment) override;
    // The hotspots that name attachments.
    WORD OnRecord(const char* record, WORD signature, DWORD length) override;
    // The attachment writer.
    bool OnObject(QXObject* object) override;

    // Fields are written only for the document itself, not for one of its
    // attachments.
    bool WritesFields() const { return attachmentNumber_ == 0; }
    bool WriteField(const wchar_t* element, const char* name, const std::wstring& value);
    int WriteSelectedAttachment();
    int WriteDocumentParts(DWORD noteSize);
    void WriteBody();
    void WriteAttachment(const std::wstring& displayedName, const std::wstring& diskFileName, DWORD fileSize,
                         const TIMEDATE& modified);
    void EnumerateAllAttachments();
    bool OnMimeAttachment(const MimeAttachment& attachment);
    // Remembers an extracted file as the selected attachment's.
    void TakeExtracted(const std::wstring& diskFileName);

    NOTEID noteId_ = RRV_DELETED; // opens no note
    // As the request gives it: a number beyond 16 bits or below 1 selects
    // no attachment rather than another one.
    long attachmentNumber_ = 0;
    std::wstring tempDir_;
    bool manage_ = false;
    bool preview_ = false;

    Db db_;
    NoteDocument document_{db_};
    // After the document: they go first, and their objects refer to it.
    QXObjectList attachments_;
    QXObjectList references_;
    // The files inside a MIME body: numbered and listed after the others.
    QXObjectList mimeAttachments_;
    ReplyWriter* writer_ = nullptr;
    long position_ = 0;
    bool pending_ = false;
};

std::unique_ptr<CmdBase> MakeGetDocument(IXMLDOMElement* element);

} // namespace brw
