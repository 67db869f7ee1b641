#include "notesdata/files/MimeStoredPart.h"

#include "common/Handles.h"
#include "notesdata/files/TemporaryFiles.h"
#include "notesdata/notes/NoteItems.h"
#include "notesdata/notes/NotesText.h"

#include <cstring>

namespace brw {
namespace {

struct FileItem {
    BLOCKID item;
    DWORD size;
};

// The file item whose file object carries that stored name.
std::optional<FileItem> FindFileItem(NOTEHANDLE note, const std::string& objectName)
{
    std::optional<FileItem> found;
    ForEachNoteItem(note, [&](const NoteItem& item) {
        if (item.type != TYPE_OBJECT || item.length < sizeof(WORD) + sizeof(FILEOBJECT)) {
            return true;
        }
        const LockedValue value(item.value);
        if (value.Data() == nullptr) {
            return true;
        }
        FILEOBJECT object;
        std::memcpy(&object, value.Data() + sizeof(WORD), sizeof(object));
        const char* name = value.Data() + sizeof(WORD) + sizeof(object);
        if (object.Header.ObjectType != OBJECT_FILE ||
            object.FileNameLength > item.length - sizeof(WORD) - sizeof(object) ||
            std::string(name, strnlen(name, object.FileNameLength)) != objectName) {
            return true;
        }
        found = FileItem{item.item, object.FileSize};
        return false;
    });
    return found;
}

// At most maxBytes of the file; nothing when it is longer or unreadable.
std::optional<std::string> ReadWholeFile(const std::wstring& path, DWORD maxBytes)
{
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || size.QuadPart > maxBytes) {
        return std::nullopt;
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr) ||
                           read != bytes.size())) {
        return std::nullopt;
    }
    return bytes;
}

} // namespace

std::optional<std::string> ReadStoredMimePart(NoteDocument& document, const std::string& objectName,
                                              const std::wstring& tempDir)
{
    const std::optional<FileItem> item = FindFileItem(document.Handle(), objectName);
    if (!item || item->size > kLargestStoredPartBytes) {
        return std::nullopt;
    }
    // The thread's folder sees one such read at a time and the copy goes
    // at once, so one name serves every read; the bodies' serials stay
    // theirs.
    const std::optional<std::wstring> path =
        MakeTempFilePath(tempDir, TempFileKind::StoredPart, document.Database().ReplicaId(), document.NoteId(), 0, L"");
    if (!path) {
        return std::nullopt;
    }
    std::optional<std::string> bytes;
    if (NSFNoteExtractFile(document.Handle(), item->item, WideToLmbcs(*path).c_str(), nullptr) == NOERROR_STATUS) {
        bytes = ReadWholeFile(*path, kLargestStoredPartBytes);
    }
    // The copy served only this read: no reply names it.
    DeleteFileW(path->c_str());
    return bytes;
}

mime::StoredPartReader StoredPartReaderFor(NoteDocument& document, const std::wstring& tempDir)
{
    return
        [&document, tempDir](const mime::Part& part) { return ReadStoredMimePart(document, part.storedAs, tempDir); };
}

} // namespace brw
