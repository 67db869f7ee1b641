#include "notesdata/files/Attachment.h"

#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/notes/NotesText.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

namespace brw {
namespace {

// Besides success, the status some client releases give for an extraction
// that did write the file.
constexpr STATUS kExtractedAnyway = 268;

class FindAttachment final : public QXObjectListEnumerator {
public:
    explicit FindAttachment(const std::string& storedName) : storedName_(storedName) {}

    bool OnObject(QXObject* object) override
    {
        const auto* reference = static_cast<const AttachmentReference*>(object);
        if (reference->StoredName() != storedName_) {
            return true;
        }
        found_ = reference;
        return false;
    }

    const AttachmentReference* Found() const { return found_; }

private:
    const std::string& storedName_;
    const AttachmentReference* found_ = nullptr;
};

// Notes writes the file item's content to path.
AttachmentWrite WriteFileItem(const Attachment& attachment, const std::wstring& path)
{
    const STATUS status =
        NSFNoteExtractFile(attachment.Document().Handle(), attachment.Item().item, WideToLmbcs(path).c_str(), nullptr);
    if (status == NOERROR_STATUS) {
        return AttachmentWrite::Complete;
    }
    return status == kExtractedAnyway ? AttachmentWrite::Unconfirmed : AttachmentWrite::Failed;
}

} // namespace

Attachment* Attachment::FromFileItem(NoteDocument& document, const NoteItem& item, WORD itemNameLength,
                                     const char* value)
{
    if (value == nullptr || item.length < sizeof(WORD) + sizeof(FILEOBJECT)) {
        return nullptr;
    }
    const char* data = value + sizeof(WORD);
    const DWORD dataLength = item.length - sizeof(WORD);
    FILEOBJECT object{};
    void* cursor = const_cast<char*>(data);
    ODSReadMemory(&cursor, _FILEOBJECT, &object, 1);
    if (object.Header.ObjectType != OBJECT_FILE || object.FileNameLength > dataLength - sizeof(FILEOBJECT)) {
        return nullptr;
    }
    const char* name = data + sizeof(FILEOBJECT);
    auto* attachment = new (std::nothrow) Attachment(document, item, itemNameLength, 0);
    if (attachment == nullptr) {
        return nullptr;
    }
    attachment->fileName_.assign(name, strnlen(name, object.FileNameLength));
    attachment->fileSize_ = object.FileSize;
    attachment->modified_ = object.FileModified;
    attachment->index_ = document.NextAttachmentIndex();
    return attachment;
}

AttachmentReference* ReferenceFromHotspotData(const char* data, WORD length)
{
    if (data == nullptr) {
        return nullptr;
    }
    const char* storedEnd = static_cast<const char*>(std::memchr(data, '\0', length));
    if (storedEnd == nullptr) {
        return nullptr;
    }
    const char* displayed = storedEnd + 1;
    const size_t left = length - static_cast<size_t>(displayed - data);
    const char* displayedEnd = static_cast<const char*>(std::memchr(displayed, '\0', left));
    if (displayedEnd == nullptr) {
        return nullptr;
    }
    return new (std::nothrow) AttachmentReference(std::string(data, storedEnd), std::string(displayed, displayedEnd));
}

AttachmentReference* ReferenceFromHotspotRecord(const char* record, WORD signature, DWORD length)
{
    static constexpr WORD kHotspotSignatures[] = {SIG_CD_V6HOTSPOTBEGIN_CONTINUATION, SIG_CD_V5HOTSPOTBEGIN,
                                                  SIG_CD_HOTSPOTBEGIN, SIG_CD_V4HOTSPOTBEGIN};
    CDHOTSPOTBEGIN hotspot{};
    if (std::find(std::begin(kHotspotSignatures), std::end(kHotspotSignatures), signature) ==
            std::end(kHotspotSignatures) ||
        record == nullptr || length < sizeof(hotspot)) {
        return nullptr;
    }
    void* cursor = const_cast<char*>(record);
    ODSReadMemory(&cursor, _CDHOTSPOTBEGIN, &hotspot, 1);
    if (hotspot.Type != HOTSPOTREC_TYPE_FILE || hotspot.DataLength == 0 ||
        hotspot.DataLength > length - sizeof(hotspot)) {
        return nullptr;
    }
    return ReferenceFromHotspotData(record + sizeof(hotspot), hotspot.DataLength);
}

std::string GetOriginalFileName(const QXObjectList& references, const Attachment& attachment)
{
    FindAttachment find(attachment.FileName());
    references.Enumerate(find);
    return find.Found() != nullptr ? find.Found()->DisplayedName() : attachment.FileName();
}

std::optional<std::wstring> ExtractAttachment(const Attachment& attachment, const std::wstring& tempDir,
                                              const std::wstring& extension)
{
    const NoteDocument& document = attachment.Document();
    return ProvideAttachmentFile(tempDir, document.Database().ReplicaId(), document.NoteId(), attachment.Index(),
                                 extension,
                                 [&attachment](const std::wstring& path) { return WriteFileItem(attachment, path); });
}

} // namespace brw
