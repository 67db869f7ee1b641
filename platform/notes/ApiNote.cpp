// Notes: open, create, close, header fields, item walk and attachments.
#include "platform/notes/Lmbcs.h"
#include "platform/notes/NoteAccess.h"
#include "platform/notes/TimeDate.h"

#include <algorithm>
#include <cstring>

using runtime::Kind;
using runtime::NoteObject;

namespace notes {

STATUS OpenNote(DBHANDLE hDB, NOTEID id, NOTEHANDLE* reth)
{
    if (reth == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    *reth = 0;
    auto* db = runtime::FindAs<runtime::DatabaseObject>(hDB, Kind::Database);
    if (db == nullptr || db->isDirectory) {
        return ERR_INVALID_HANDLE;
    }
    auto image = db->image;
    const nsf::NoteView* view = (id & RRV_DELETED) ? nullptr : image->FindNote(id);
    if (view == nullptr) {
        return ERR_INVALID_NOTE;
    }
    if (view->flags & nsf::kNoteDeleted) {
        return ERR_NOTE_DELETED;
    }
    if (!image->ItemsIntact(*view)) {
        return ERR_DATABASE_DAMAGED;
    }
    auto note = std::make_unique<NoteObject>();
    note->db = hDB;
    note->image = image;
    static_cast<nsf::NoteHeader&>(*note) = *view;
    const std::vector<nsf::ItemView> items = image->Items(*view);
    note->items.reserve(items.size());
    for (const nsf::ItemView& item : items) {
        note->items.push_back(runtime::ItemRef{item.name, item.nameLength, item.flags, item.value, item.valueLength,
                                               item.object, item.objectLength, 0});
    }
    *reth = runtime::Add(std::move(note));
    return NOERROR_STATUS;
}

NoteObject* FindNote(NOTEHANDLE h)
{
    return runtime::FindAs<NoteObject>(h, Kind::Note);
}

std::string TextOfValue(const BYTE* value, DWORD length, const std::string& separator)
{
    if (value == nullptr || length < 2) {
        return std::string();
    }
    WORD type;
    std::memcpy(&type, value, 2);
    if (type == TYPE_TEXT) {
        return std::string(reinterpret_cast<const char*>(value + 2), length - 2);
    }
    if (type != TYPE_TEXT_LIST || length < 4) {
        return std::string();
    }
    WORD count;
    std::memcpy(&count, value + 2, 2);
    size_t pos = 4 + size_t(count) * 2;
    if (pos > length) {
        return std::string();
    }
    std::string text;
    for (WORD i = 0; i < count; ++i) {
        WORD entry;
        std::memcpy(&entry, value + 4 + i * 2, 2);
        if (entry > length - pos) {
            break;
        }
        if (i > 0) {
            text += separator;
        }
        text.append(reinterpret_cast<const char*>(value + pos), entry);
        pos += entry;
    }
    return text;
}

const runtime::ItemRef* FindNamedItem(NOTEHANDLE h, const char* name)
{
    NoteObject* note = FindNote(h);
    if (note == nullptr || name == nullptr) {
        return nullptr;
    }
    return note->FindItem(name, strlen(name));
}

BLOCKID ValueBlock(NoteObject& note, size_t index)
{
    runtime::ItemRef& item = note.items[index];
    if (item.valueHandle == 0) {
        item.valueHandle = runtime::AddMemoryView(item.value, item.valueLength, note.image);
    }
    return BLOCKID{item.valueHandle, 0};
}

const BYTE* ResolveBlock(BLOCKID block, DWORD length)
{
    auto* memory = runtime::FindAs<runtime::MemoryObject>(block.pool, Kind::Memory);
    if (memory == nullptr || block.block > memory->size || length > memory->size - block.block) {
        return nullptr;
    }
    return static_cast<const BYTE*>(memory->address) + block.block;
}

} // namespace notes

namespace {

// Item block ids name the note and the item's position (from 1).
BLOCKID ItemBlock(NOTEHANDLE h, size_t index)
{
    return BLOCKID{h, static_cast<BLOCK>(index + 1)};
}

size_t ItemIndex(const NoteObject& note, BLOCKID block, NOTEHANDLE h)
{
    if (block.pool != h || block.block == 0 || block.block > note.items.size()) {
        return SIZE_MAX;
    }
    return block.block - 1u;
}

STATUS ReportItem(NOTEHANDLE h, NoteObject& note, size_t index, BLOCKID* retItem, WORD* retType, BLOCKID* retValue,
                  DWORD* retLength)
{
    const runtime::ItemRef& item = note.items[index];
    if (retItem != nullptr) {
        *retItem = ItemBlock(h, index);
    }
    if (retType != nullptr) {
        WORD type = TYPE_INVALID_OR_UNKNOWN;
        if (item.valueLength >= 2) {
            std::memcpy(&type, item.value, 2);
        }
        *retType = type;
    }
    if (retValue != nullptr) {
        *retValue = notes::ValueBlock(note, index);
    }
    if (retLength != nullptr) {
        *retLength = item.valueLength;
    }
    return NOERROR_STATUS;
}

STATUS FindFrom(NOTEHANDLE h, size_t from, const char* name, WORD nameLength, BLOCKID* retItem, WORD* retType,
                BLOCKID* retValue, DWORD* retLength)
{
    NoteObject* note = notes::FindNote(h);
    if (note == nullptr) {
        return ERR_INVALID_HANDLE;
    }
    for (size_t i = from; i < note->items.size(); ++i) {
        const runtime::ItemRef& item = note->items[i];
        if (name == nullptr || (item.nameLength == nameLength && _strnicmp(item.name, name, nameLength) == 0)) {
            return ReportItem(h, *note, i, retItem, retType, retValue, retLength);
        }
    }
    return ERR_ITEM_NOT_FOUND;
}

// Overwrites as Notes does, but creates when it can: an overwrite truncates,
// and ext4 writes a truncated file's data out at close.
bool WriteAll(const std::wstring& path, const BYTE* data, DWORD size)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS) {
        file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD written = 0;
    const bool ok = size == 0 || (WriteFile(file, data, size, &written, nullptr) && written == size);
    CloseHandle(file);
    if (!ok) {
        DeleteFileW(path.c_str());
    }
    return ok;
}

} // namespace

extern "C" {

STATUS LNPUBLIC NSFNoteOpen(DBHANDLE hDB, NOTEID NoteID, WORD, NOTEHANDLE* rethNote)
{
    return notes::OpenNote(hDB, NoteID, rethNote);
}

STATUS LNPUBLIC NSFNoteOpenExt(DBHANDLE hDB, NOTEID NoteID, DWORD, NOTEHANDLE* rethNote)
{
    return notes::OpenNote(hDB, NoteID, rethNote);
}

STATUS LNPUBLIC NSFNoteCreate(DBHANDLE hDB, NOTEHANDLE* rethNote)
{
    if (rethNote == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    *rethNote = 0;
    auto* db = runtime::FindAs<runtime::DatabaseObject>(hDB, Kind::Database);
    if (db == nullptr || db->isDirectory) {
        return ERR_INVALID_HANDLE;
    }
    auto note = std::make_unique<NoteObject>();
    note->db = hDB;
    note->image = db->image;
    note->modified = note->added = timedate::Now();
    *rethNote = runtime::Add(std::move(note));
    return NOERROR_STATUS;
}

STATUS LNPUBLIC NSFNoteClose(NOTEHANDLE hNote)
{
    return runtime::Remove(hNote, Kind::Note) ? NOERROR_STATUS : STATUS(ERR_INVALID_HANDLE);
}

BOOL LNPUBLIC NSFNoteIsSignedOrSealed(NOTEHANDLE hNote, BOOL* retfSigned, BOOL* retfSealed)
{
    NoteObject* note = notes::FindNote(hNote);
    const bool sealed = note != nullptr && (note->flags & nsf::kNoteEncrypted) != 0;
    if (retfSigned != nullptr) {
        *retfSigned = FALSE;
    }
    if (retfSealed != nullptr) {
        *retfSealed = sealed ? TRUE : FALSE;
    }
    return sealed ? TRUE : FALSE;
}

void LNPUBLIC NSFNoteGetInfo(NOTEHANDLE hNote, WORD Type, void* retValue)
{
    NoteObject* note = notes::FindNote(hNote);
    if (note == nullptr || retValue == nullptr) {
        return;
    }
    switch (Type) {
    case _NOTE_DB:
        std::memcpy(retValue, &note->db, sizeof(DBHANDLE));
        break;
    case _NOTE_ID:
        std::memcpy(retValue, &note->id, sizeof(NOTEID));
        break;
    case _NOTE_OID:
        std::memcpy(retValue, &note->oid, sizeof(ORIGINATORID));
        break;
    case _NOTE_CLASS:
        std::memcpy(retValue, &note->noteClass, sizeof(WORD));
        break;
    case _NOTE_MODIFIED:
        std::memcpy(retValue, &note->modified, sizeof(TIMEDATE));
        break;
    case _NOTE_ADDED_TO_FILE:
        std::memcpy(retValue, &note->added, sizeof(TIMEDATE));
        break;
    case _NOTE_FLAGS: {
        const WORD flags = 0;
        std::memcpy(retValue, &flags, sizeof(WORD));
        break;
    }
    default:
        break;
    }
}

void LNPUBLIC NSFNoteSetInfo(NOTEHANDLE hNote, WORD Type, void* Value)
{
    NoteObject* note = notes::FindNote(hNote);
    if (note == nullptr || Value == nullptr) {
        return;
    }
    switch (Type) {
    case _NOTE_DB: {
        DBHANDLE db;
        std::memcpy(&db, Value, sizeof(db));
        // The note's items stay where they are; only its database changes,
        // which is what rendering with another database's form relies on.
        if (runtime::Find(db, Kind::Database) != nullptr) {
            note->db = db;
        }
        break;
    }
    case _NOTE_ID:
        std::memcpy(&note->id, Value, sizeof(NOTEID));
        break;
    case _NOTE_OID:
        std::memcpy(&note->oid, Value, sizeof(ORIGINATORID));
        break;
    case _NOTE_CLASS:
        std::memcpy(&note->noteClass, Value, sizeof(WORD));
        break;
    case _NOTE_MODIFIED:
        std::memcpy(&note->modified, Value, sizeof(TIMEDATE));
        break;
    default:
        break;
    }
}

STATUS LNPUBLIC NSFItemInfo(NOTEHANDLE hNote, const char* Name, WORD NameLength, BLOCKID* retbhItem, WORD* retDataType,
                            BLOCKID* retbhValue, DWORD* retValueLength)
{
    return FindFrom(hNote, 0, Name, NameLength, retbhItem, retDataType, retbhValue, retValueLength);
}

STATUS LNPUBLIC NSFItemInfoNext(NOTEHANDLE hNote, BLOCKID NextItem, const char* Name, WORD NameLength,
                                BLOCKID* retbhItem, WORD* retDataType, BLOCKID* retbhValue, DWORD* retValueLength)
{
    NoteObject* note = notes::FindNote(hNote);
    if (note == nullptr) {
        return ERR_INVALID_HANDLE;
    }
    const size_t index = ItemIndex(*note, NextItem, hNote);
    if (index == SIZE_MAX) {
        return ERR_BAD_PARAMETER;
    }
    return FindFrom(hNote, index + 1, Name, NameLength, retbhItem, retDataType, retbhValue, retValueLength);
}

void LNPUBLIC NSFItemQuery(NOTEHANDLE hNote, BLOCKID bhItem, char* retItemName, WORD ItemNameBufferLength,
                           WORD* retItemNameLength, WORD* retItemFlags, WORD* retDataType, BLOCKID* retbhValue,
                           DWORD* retValueLength)
{
    NoteObject* note = notes::FindNote(hNote);
    const size_t index = note != nullptr ? ItemIndex(*note, bhItem, hNote) : SIZE_MAX;
    if (index == SIZE_MAX) {
        if (retItemNameLength != nullptr) {
            *retItemNameLength = 0;
        }
        if (retItemName != nullptr && ItemNameBufferLength > 0) {
            retItemName[0] = 0;
        }
        return;
    }
    const runtime::ItemRef& item = note->items[index];
    if (retItemName != nullptr && ItemNameBufferLength > 0) {
        const size_t n = std::min<size_t>(item.nameLength, ItemNameBufferLength - 1u);
        std::memcpy(retItemName, item.name, n);
        retItemName[n] = 0;
        if (retItemNameLength != nullptr) {
            *retItemNameLength = static_cast<WORD>(n);
        }
    } else if (retItemNameLength != nullptr) {
        *retItemNameLength = item.nameLength;
    }
    if (retItemFlags != nullptr) {
        *retItemFlags = item.flags;
    }
    ReportItem(hNote, *note, index, nullptr, retDataType, retbhValue, retValueLength);
}

WORD LNPUBLIC NSFItemGetText(NOTEHANDLE hNote, const char* ItemName, char* retBuffer, WORD BufferLength)
{
    if (retBuffer == nullptr || BufferLength == 0) {
        return 0;
    }
    retBuffer[0] = 0;
    const runtime::ItemRef* item = notes::FindNamedItem(hNote, ItemName);
    if (item == nullptr) {
        return 0;
    }
    std::string text = notes::TextOfValue(item->value, item->valueLength);
    // The first entry of a list, cut at a character boundary.
    WORD type = 0;
    std::memcpy(&type, item->value, 2);
    if (type == TYPE_TEXT_LIST) {
        text = notes::TextOfValue(item->value, item->valueLength, std::string(1, '\0'));
        text = text.substr(0, text.find('\0'));
    }
    return static_cast<WORD>(lmbcs::CopyWholeCharacters(text, retBuffer, BufferLength));
}

STATUS LNPUBLIC NSFNoteExtractFile(NOTEHANDLE hNote, BLOCKID bhItem, const char* FileName, void*)
{
    NoteObject* note = notes::FindNote(hNote);
    if (note == nullptr || FileName == nullptr) {
        return ERR_BAD_PARAMETER;
    }
    const size_t index = ItemIndex(*note, bhItem, hNote);
    if (index == SIZE_MAX) {
        return ERR_BAD_PARAMETER;
    }
    const runtime::ItemRef& item = note->items[index];
    WORD type = 0;
    if (item.valueLength >= 2) {
        std::memcpy(&type, item.value, 2);
    }
    if (type != TYPE_OBJECT || item.valueLength < 2 + sizeof(FILEOBJECT)) {
        return ERR_NOTE_NOT_OBJECT;
    }
    FILEOBJECT object;
    std::memcpy(&object, item.value + 2, sizeof(object));
    if ((object.Header.ObjectType & 0x0FFF) != OBJECT_FILE) {
        return ERR_NOTE_NOT_OBJECT;
    }
    if (!WriteAll(lmbcs::ToWide(FileName), item.object, item.objectLength)) {
        return ERR_FILE_WRITE;
    }
    return NOERROR_STATUS;
}

} // extern "C"
