#include "notesdata/notes/MimeBody.h"

#include "common/DebugConsole.h"
#include "notesdata/mime/MessageText.h"
#include "notesdata/mime/MimeEntity.h"
#include "notesdata/notes/MimeContent.h"
#include "notesdata/notes/NoteItems.h"

#include <cstring>

namespace brw {
namespace {

static_assert(sizeof(MIME_PART) == 20, "the MIME part descriptor is packed");

// The part's bytes in the entity; nothing when its lengths run past the value.
void AppendPart(const char* value, DWORD length, size_t maxBytes, std::string& entity)
{
    MIME_PART descriptor;
    if (length < sizeof(descriptor)) {
        return;
    }
    std::memcpy(&descriptor, value, sizeof(descriptor));
    DWORD kept = descriptor.wByteCount;
    if (sizeof(descriptor) + kept > length) {
        return;
    }
    if ((descriptor.dwFlags & MIME_PART_BODY_IN_DBOBJECT) != 0) {
        const DWORD inline_ = DWORD(descriptor.wBoundaryLen) + descriptor.wHeadersLen;
        kept = inline_ < kept ? inline_ : kept;
    }
    const size_t room = maxBytes - entity.size();
    entity.append(value + sizeof(descriptor), kept < room ? kept : room);
}

} // namespace

std::string ReadMimeEntity(NOTEHANDLE note, size_t maxBytes)
{
    std::string entity;
    ForEachNoteItem(note, [&](const NoteItem& item) {
        if (item.type != TYPE_MIME_PART || item.length < sizeof(WORD)) {
            return true;
        }
        const LockedValue value(item.value);
        if (value.Data() != nullptr) {
            AppendPart(value.Data() + sizeof(WORD), item.length - sizeof(WORD), maxBytes, entity);
        }
        return entity.size() < maxBytes;
    });
    return entity;
}

std::unique_ptr<MimeContent> ReadMimeContent(NOTEHANDLE note)
{
    const mime::Limits limits;
    auto content = std::make_unique<MimeContent>();
    content->entity = ReadMimeEntity(note, limits.maxEntityBytes);
    if (content->entity.empty()) {
        return nullptr;
    }
    content->message = mime::ParseEntity(content->entity, limits);
    if (content->message.outcome != mime::ParseOutcome::Complete) {
        // What was found before the limit is still indexed.
        LogLong(L"MIME body beyond a limit, parts kept: ", static_cast<long>(content->message.parts.size()));
    }
    return content;
}

std::wstring MimeBodyText(NoteDocument& document)
{
    const MimeContent* content = document.Mime();
    return content != nullptr ? mime::MessageText(content->message) : std::wstring();
}

} // namespace brw
