#include "notesdata/notes/MimeBody.h"

#include "common/DebugConsole.h"
#include "notesdata/mime/MessageText.h"
#include "notesdata/mime/MimeEntity.h"
#include "notesdata/notes/MimeContent.h"
#include "notesdata/notes/NoteItems.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace brw {
namespace {

static_assert(sizeof(MIME_PART) == 20, "the MIME part descriptor is packed");

// A part whose data is a file object: where in the entity its data would
// stand, and the object's name.
struct StoredData {
    size_t at;
    std::string name;
};

class EntityJoiner {
public:
    EntityJoiner(std::string& entity, size_t maxBytes) : entity_(entity), maxBytes_(maxBytes) {}

    // The part's bytes in the entity; nothing when its lengths run past the
    // value.
    void Append(const char* value, DWORD length)
    {
        MIME_PART descriptor;
        if (length < sizeof(descriptor)) {
            return;
        }
        std::memcpy(&descriptor, value, sizeof(descriptor));
        const DWORD byteCount = descriptor.wByteCount;
        if (sizeof(descriptor) + byteCount > length) {
            return;
        }
        const char* bytes = value + sizeof(descriptor);
        if ((descriptor.dwFlags & MIME_PART_BODY_IN_DBOBJECT) == 0) {
            Keep(bytes, byteCount);
            return;
        }
        const DWORD inline_ = std::min<DWORD>(DWORD(descriptor.wBoundaryLen) + descriptor.wHeadersLen, byteCount);
        if (Keep(bytes, inline_) && byteCount - inline_ <= MAXPATH) {
            stored_.push_back(StoredData{entity_.size(), std::string(bytes + inline_, byteCount - inline_)});
        }
    }

    bool Full() const { return entity_.size() >= maxBytes_; }

    // Names the object of each part whose empty body stands where a stored
    // part's data would.
    void MarkStoredParts(mime::Message& message) const
    {
        for (mime::Part& part : message.parts) {
            const char* start = part.body.data();
            if (!part.body.empty() || start < entity_.data() || start > entity_.data() + entity_.size()) {
                continue;
            }
            const size_t at = static_cast<size_t>(start - entity_.data());
            for (const StoredData& stored : stored_) {
                if (stored.at == at) {
                    part.storedAs = stored.name;
                }
            }
        }
    }

private:
    // False when the bytes did not all fit.
    bool Keep(const char* bytes, size_t count)
    {
        const size_t room = maxBytes_ - entity_.size();
        entity_.append(bytes, std::min(count, room));
        return count <= room;
    }

    std::string& entity_;
    size_t maxBytes_;
    std::vector<StoredData> stored_;
};

// The note's MIME part items in their order.
std::vector<NoteItem> MimePartItems(NOTEHANDLE note)
{
    std::vector<NoteItem> items;
    ForEachNoteItem(note, [&](const NoteItem& item) {
        if (item.type == TYPE_MIME_PART && item.length >= sizeof(WORD)) {
            items.push_back(item);
        }
        return true;
    });
    return items;
}

} // namespace

std::unique_ptr<MimeContent> ReadMimeContent(NOTEHANDLE note)
{
    const std::vector<NoteItem> items = MimePartItems(note);
    if (items.empty()) {
        return nullptr;
    }
    const mime::Limits limits;
    auto content = std::make_unique<MimeContent>();
    // The entity is as long as the items' values at most: one allocation
    // instead of one per doubling of a body that may run to megabytes.
    size_t valueBytes = 0;
    for (const NoteItem& item : items) {
        valueBytes = std::min<size_t>(valueBytes + item.length, limits.maxEntityBytes);
    }
    content->entity.reserve(valueBytes);
    EntityJoiner joiner(content->entity, limits.maxEntityBytes);
    for (const NoteItem& item : items) {
        const LockedValue value(item.value);
        if (value.Data() != nullptr) {
            joiner.Append(value.Data() + sizeof(WORD), item.length - sizeof(WORD));
        }
        if (joiner.Full()) {
            break;
        }
    }
    if (content->entity.empty()) {
        return nullptr;
    }
    content->message = mime::ParseEntity(content->entity, limits);
    joiner.MarkStoredParts(content->message);
    if (content->message.outcome != mime::ParseOutcome::Complete) {
        // What was found before the limit is still indexed.
        LogLong(L"MIME body beyond a limit, parts kept: ", static_cast<long>(content->message.parts.size()));
    }
    return content;
}

std::wstring MimeBodyText(NoteDocument& document, const mime::StoredPartReader& readStored)
{
    const MimeContent* content = document.Mime();
    return content != nullptr ? mime::MessageText(content->message, readStored) : std::wstring();
}

} // namespace brw
