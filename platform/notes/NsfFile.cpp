#include "platform/notes/NsfFile.h"

#include "common/Handles.h"

#include <algorithm>
#include <cstring>

namespace nsf {
namespace {

template <typename T>
T ReadAt(const BYTE* p) noexcept
{
    T value;
    std::memcpy(&value, p, sizeof(T));
    return value;
}

template <typename T>
void Append(std::vector<BYTE>& out, const T& value)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(&value);
    out.insert(out.end(), p, p + sizeof(T));
}

void AppendBytes(std::vector<BYTE>& out, const void* data, size_t length)
{
    const BYTE* p = static_cast<const BYTE*>(data);
    out.insert(out.end(), p, p + length);
}

// Walks the items of a record, checking that each lies inside it.
bool CheckItems(const BYTE* record, DWORD recordLength, WORD itemCount) noexcept
{
    size_t pos = kNoteHeaderSize;
    for (WORD i = 0; i < itemCount; ++i) {
        if (recordLength - pos < kItemHeaderSize) {
            return false;
        }
        const size_t nameLength = ReadAt<WORD>(record + pos);
        const size_t valueLength = ReadAt<DWORD>(record + pos + 4);
        const size_t objectLength = ReadAt<DWORD>(record + pos + 8);
        pos += kItemHeaderSize;
        const size_t left = recordLength - pos;
        if (nameLength > left || valueLength > left - nameLength || objectLength > left - nameLength - valueLength ||
            valueLength == 1) {
            return false;
        }
        pos += nameLength + valueLength + objectLength;
    }
    return pos == recordLength;
}

} // namespace

WORD ItemView::Type() const noexcept
{
    return valueLength >= 2 ? ReadAt<WORD>(value) : WORD(TYPE_INVALID_OR_UNKNOWN);
}

std::shared_ptr<const DbImage> DbImage::Parse(const std::vector<BYTE>& bytes, STATUS* status)
{
    ByteBuffer copy(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.data());
    return Parse(std::move(copy), status);
}

std::shared_ptr<const DbImage> DbImage::Parse(ByteBuffer bytes, STATUS* status)
{
    *status = ERR_NOT_A_DATABASE;
    if (bytes.size() < kHeaderSize || std::memcmp(bytes.data(), kMagic, sizeof(kMagic)) != 0 ||
        ReadAt<DWORD>(bytes.data() + 8) != kFormatVersion) {
        return nullptr;
    }
    auto image = std::shared_ptr<DbImage>(new DbImage());
    image->bytes_ = std::move(bytes);
    const BYTE* p = image->bytes_.data();
    DbInfo& info = image->info_;
    const DWORD count = ReadAt<DWORD>(p + 12);
    info.replicaId = ReadAt<TIMEDATE>(p + 16);
    info.created = ReadAt<TIMEDATE>(p + 24);
    info.dataModified = ReadAt<TIMEDATE>(p + 32);
    info.nonDataModified = ReadAt<TIMEDATE>(p + 40);
    info.nextNoteId = ReadAt<DWORD>(p + 48);
    const WORD titleLength = ReadAt<WORD>(p + 52);
    *status = ERR_DATABASE_DAMAGED;
    if (image->bytes_.size() - kHeaderSize < titleLength) {
        return nullptr;
    }
    info.title.assign(reinterpret_cast<const char*>(p + kHeaderSize), titleLength);
    if (!image->ParseNotes(count)) {
        return nullptr;
    }
    *status = NOERROR_STATUS;
    return image;
}

bool DbImage::ParseNotes(DWORD count)
{
    const size_t total = bytes_.size();
    size_t pos = kHeaderSize + info_.title.size();
    // A count larger than the file could hold is damage, not a reason to
    // reserve gigabytes.
    if (count > (total - pos) / kNoteHeaderSize) {
        return false;
    }
    notes_.reserve(count);
    for (DWORD i = 0; i < count; ++i) {
        if (total - pos < kNoteHeaderSize) {
            return false;
        }
        const BYTE* r = bytes_.data() + pos;
        NoteView note{};
        note.recordLength = ReadAt<DWORD>(r);
        if (note.recordLength < kNoteHeaderSize || note.recordLength > total - pos) {
            return false;
        }
        note.id = ReadAt<DWORD>(r + 4);
        note.noteClass = ReadAt<WORD>(r + 8);
        note.flags = ReadAt<WORD>(r + 10);
        note.oid = ReadAt<ORIGINATORID>(r + 12);
        note.modified = ReadAt<TIMEDATE>(r + 40);
        note.added = ReadAt<TIMEDATE>(r + 48);
        note.itemCount = ReadAt<WORD>(r + 56);
        note.record = r;
        if (note.id == 0 || (note.id & RRV_DELETED) != 0 || (!notes_.empty() && notes_.back().id >= note.id)) {
            return false;
        }
        notes_.push_back(note);
        pos += note.recordLength;
    }
    return pos == total;
}

const NoteView* DbImage::FindNote(NOTEID id) const noexcept
{
    auto it = std::lower_bound(notes_.begin(), notes_.end(), id,
                               [](const NoteView& n, NOTEID value) { return n.id < value; });
    return (it != notes_.end() && it->id == id) ? &*it : nullptr;
}

bool DbImage::ItemsIntact(const NoteView& note) const noexcept
{
    return CheckItems(note.record, note.recordLength, note.itemCount);
}

std::vector<ItemView> DbImage::Items(const NoteView& note) const
{
    std::vector<ItemView> items;
    if (!ItemsIntact(note)) {
        return items;
    }
    items.reserve(note.itemCount);
    const BYTE* p = note.record + kNoteHeaderSize;
    for (WORD i = 0; i < note.itemCount; ++i) {
        ItemView item{};
        item.nameLength = ReadAt<WORD>(p);
        item.flags = ReadAt<WORD>(p + 2);
        item.valueLength = ReadAt<DWORD>(p + 4);
        item.objectLength = ReadAt<DWORD>(p + 8);
        item.name = reinterpret_cast<const char*>(p + kItemHeaderSize);
        item.value = p + kItemHeaderSize + item.nameLength;
        item.object = item.value + item.valueLength;
        items.push_back(item);
        p = item.object + item.objectLength;
    }
    return items;
}

ItemData* NoteData::FindItem(const std::string& itemName)
{
    for (ItemData& item : items) {
        if (_stricmp(item.name.c_str(), itemName.c_str()) == 0) {
            return &item;
        }
    }
    return nullptr;
}

NoteData* DbData::FindNote(NOTEID id)
{
    for (NoteData& note : notes) {
        if (note.id == id) {
            return &note;
        }
    }
    return nullptr;
}

NoteData& DbData::AddNote()
{
    DWORD id = std::max<DWORD>(info.nextNoteId, 0x8F6);
    if (!notes.empty()) {
        id = std::max<DWORD>(id, notes.back().id + 4);
    }
    notes.emplace_back();
    notes.back().id = id;
    info.nextNoteId = id + 4;
    return notes.back();
}

DbData ToData(const DbImage& image)
{
    DbData data;
    data.info = image.Info();
    data.notes.reserve(image.Notes().size());
    for (const NoteView& view : image.Notes()) {
        NoteData note;
        static_cast<NoteHeader&>(note) = view;
        for (const ItemView& item : image.Items(view)) {
            ItemData copy;
            copy.name.assign(item.name, item.nameLength);
            copy.flags = item.flags;
            copy.value.assign(item.value, item.value + item.valueLength);
            copy.object.assign(item.object, item.object + item.objectLength);
            note.items.push_back(std::move(copy));
        }
        data.notes.push_back(std::move(note));
    }
    return data;
}

std::vector<BYTE> Serialize(const DbData& data)
{
    std::vector<const NoteData*> order;
    order.reserve(data.notes.size());
    for (const NoteData& note : data.notes) {
        order.push_back(&note);
    }
    std::sort(order.begin(), order.end(), [](const NoteData* a, const NoteData* b) { return a->id < b->id; });

    std::vector<BYTE> out;
    AppendBytes(out, kMagic, sizeof(kMagic));
    Append(out, kFormatVersion);
    Append(out, static_cast<DWORD>(order.size()));
    Append(out, data.info.replicaId);
    Append(out, data.info.created);
    Append(out, data.info.dataModified);
    Append(out, data.info.nonDataModified);
    Append(out, data.info.nextNoteId);
    const WORD titleLength = static_cast<WORD>(std::min<size_t>(data.info.title.size(), 0xFFFF));
    Append(out, titleLength);
    out.resize(kHeaderSize, 0);
    AppendBytes(out, data.info.title.data(), titleLength);
    for (const NoteData* note : order) {
        const size_t start = out.size();
        Append(out, DWORD(0));
        Append(out, note->id);
        Append(out, note->noteClass);
        Append(out, note->flags);
        Append(out, note->oid);
        Append(out, note->modified);
        Append(out, note->added);
        const bool stub = (note->flags & kNoteDeleted) != 0;
        Append(out, static_cast<WORD>(stub ? 0 : note->items.size()));
        Append(out, WORD(0));
        for (size_t i = 0; !stub && i < note->items.size(); ++i) {
            const ItemData& item = note->items[i];
            Append(out, static_cast<WORD>(item.name.size()));
            Append(out, item.flags);
            Append(out, static_cast<DWORD>(item.value.size()));
            Append(out, static_cast<DWORD>(item.object.size()));
            AppendBytes(out, item.name.data(), item.name.size());
            AppendBytes(out, item.value.data(), item.value.size());
            AppendBytes(out, item.object.data(), item.object.size());
        }
        const DWORD length = static_cast<DWORD>(out.size() - start);
        std::memcpy(out.data() + start, &length, sizeof(length));
    }
    return out;
}

bool WriteFileAtomically(const std::wstring& path, const std::vector<BYTE>& bytes)
{
    const std::wstring temp = path + L".tmp" + std::to_wstring(GetCurrentProcessId());
    {
        brw::FileHandle file(
            CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return false;
        }
        size_t done = 0;
        while (done < bytes.size()) {
            const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
            DWORD written = 0;
            if (!WriteFile(file.get(), bytes.data() + done, piece, &written, nullptr) || written != piece) {
                file.reset();
                DeleteFileW(temp.c_str());
                return false;
            }
            done += piece;
        }
        if (!FlushFileBuffers(file.get())) {
            file.reset();
            DeleteFileW(temp.c_str());
            return false;
        }
    }
    if (!MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(temp.c_str());
        return false;
    }
    return true;
}

namespace {

template <typename Buffer>
bool ReadInto(const std::wstring& path, Buffer& bytes)
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file) {
        return false;
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) {
        return false;
    }
    bytes = Buffer(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        const DWORD piece = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!ReadFile(file.get(), bytes.data() + done, piece, &got, nullptr) || got == 0) {
            return false;
        }
        done += got;
    }
    return true;
}

} // namespace

bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& bytes)
{
    return ReadInto(path, bytes);
}

bool ReadWholeFile(const std::wstring& path, ByteBuffer& bytes)
{
    return ReadInto(path, bytes);
}

} // namespace nsf
