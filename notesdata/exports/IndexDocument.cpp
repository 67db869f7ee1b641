#include "notesdata/exports/IndexDocument.h"

#include "connector/UserIdentity.h"
#include "notesdata/crawl/IndexNotifier.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/NoteDocument.h"
#include "notesdata/notes/NotesText.h"

#include <cwchar>
#include <new>
#include <optional>
#include <string>

namespace brw {
namespace {

// Eight digits hold every note id; leading zeros are allowed up to this.
constexpr size_t kMaxNoteIdChars = 16;

// The whole text as a hexadecimal note id; nothing for empty or other text
// or a number wider than 32 bits.
std::optional<DWORD> ParseNoteId(const wchar_t* text)
{
    if (text == nullptr) {
        return std::nullopt;
    }
    const size_t length = wcsnlen(text, kMaxNoteIdChars + 1);
    if (length == 0 || length > kMaxNoteIdChars) {
        return std::nullopt;
    }
    unsigned long long id = 0;
    for (size_t i = 0; i < length; ++i) {
        const int digit = HexDigitValue(text[i]);
        if (digit < 0) {
            return std::nullopt;
        }
        id = id << 4 | static_cast<unsigned>(digit);
        if (id > 0xFFFFFFFFull) {
            return std::nullopt;
        }
    }
    return static_cast<DWORD>(id);
}

// Only a note that opens now is worth indexing: a deleted or encrypted one
// would give the indexer nothing.
bool NoteOpens(Db& db, DWORD id)
{
    NoteDocument note(db);
    return note.Open(id);
}

bool Notify(Db& db, DWORD id, const SinkConnector& connect)
{
    const std::wstring identity = UserIdentity();
    if (identity.empty()) {
        return false;
    }
    ComPtr<ISearchItemsChangedSink> sink;
    if (!connect || FAILED(connect(sink)) || !sink) {
        return false;
    }
    IndexNotifier notifier(identity, db.ReplicaId(), db.FullPath(), sink.get());
    if ((id & 0x7FFFFFFF) == 0 || !NoteOpens(db, id)) {
        return false;
    }
    return notifier.OnNoteId(id) && notifier.Flush();
}

} // namespace

bool IndexDocument(const wchar_t* path, const wchar_t* noteId, const SinkConnector& connect)
{
    try {
        Db db;
        if (!db.OpenByWidePath(path)) {
            return false;
        }
        const std::optional<DWORD> id = ParseNoteId(noteId);
        return id && Notify(db, *id, connect);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool IndexDocument(const wchar_t* path, const wchar_t* noteId)
{
    return IndexDocument(path, noteId,
                         [](ComPtr<ISearchItemsChangedSink>& sink) { return ConnectItemsChangedSink(sink); });
}

} // namespace brw
