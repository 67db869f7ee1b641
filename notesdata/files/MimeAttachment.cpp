#include "notesdata/files/MimeAttachment.h"

#include "common/Handles.h"
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/mime/MimeEntity.h"
#include "notesdata/mime/TransferEncoding.h"
#include "notesdata/notes/MimeContent.h"

#include <new>
#include <vector>

namespace brw {
namespace {

// The document's own last change: a MIME part carries no file time.
TIMEDATE DocumentTime(NOTEHANDLE note)
{
    ORIGINATORID originator{};
    NSFNoteGetInfo(note, _NOTE_OID, &originator);
    return originator.SequenceTime;
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace

MimeAttachment::MimeAttachment(NoteDocument& document, WORD index, size_t part, std::wstring fileName, DWORD fileSize,
                               const TIMEDATE& modified)
    : document_(document), index_(index), part_(part), fileName_(std::move(fileName)), fileSize_(fileSize),
      modified_(modified)
{
}

std::string MimeAttachment::DecodedBytes() const
{
    const MimeContent* content = document_.Mime();
    if (content == nullptr || part_ >= content->message.parts.size()) {
        return std::string();
    }
    const mime::Part& part = content->message.parts[part_];
    return mime::DecodeTransfer(part.body, part.encoding);
}

void CollectMimeAttachments(NoteDocument& document, QXObjectList& attachments)
{
    const MimeContent* content = document.Mime();
    if (content == nullptr) {
        return;
    }
    const TIMEDATE modified = DocumentTime(document.Handle());
    const std::vector<mime::Part>& parts = content->message.parts;
    for (size_t at = 0; at < parts.size(); ++at) {
        if (!mime::IsAttachment(parts[at])) {
            continue;
        }
        const size_t size = mime::DecodedSize(parts[at].body, parts[at].encoding);
        if (size == 0) {
            continue;
        }
        auto* attachment =
            new (std::nothrow) MimeAttachment(document, document.NextAttachmentIndex(), at, parts[at].fileName,
                                              size > MAXDWORD ? MAXDWORD : static_cast<DWORD>(size), modified);
        if (attachment == nullptr) {
            return;
        }
        attachments.Add(attachment);
        attachment->Release();
    }
}

std::optional<std::wstring> ExtractMimeAttachment(const MimeAttachment& attachment, const std::wstring& tempDir,
                                                  const std::wstring& extension)
{
    const NoteDocument& document = attachment.Document();
    return ProvideAttachmentFile(tempDir, document.Database().ReplicaId(), document.NoteId(), attachment.Index(),
                                 extension, [&](const std::wstring& path) {
                                     return WriteWholeFile(path, attachment.DecodedBytes()) ? AttachmentWrite::Complete
                                                                                            : AttachmentWrite::Failed;
                                 });
}

} // namespace brw
