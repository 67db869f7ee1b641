// The stand-in's database file: one .nsf file holds a database in a compact
// binary form that the API serves without converting anything per call.
//
// Layout (little-endian, byte-packed):
//   header  (64 bytes)
//     0  char[8]   "BRWNSF01"
//     8  DWORD     format version (1)
//    12  DWORD     note count
//    16  TIMEDATE  replica id
//    24  TIMEDATE  created
//    32  TIMEDATE  data modified
//    40  TIMEDATE  non-data modified
//    48  DWORD     next free note id
//    52  WORD      title length (LMBCS bytes)
//    54  BYTE[10]  reserved, zero
//   title bytes
//   note records, in ascending note id order, each:
//     0  DWORD        record length, this header included
//     4  DWORD        note id
//     8  WORD         note class (NOTE_CLASS_xxx)
//    10  WORD         flags (kNoteDeleted, kNoteEncrypted, kNoteProfile)
//    12  ORIGINATORID (UNID, sequence, sequence time)
//    40  TIMEDATE     modified in this file
//    48  TIMEDATE     added to this file
//    56  WORD         item count
//    58  WORD         reserved
//    60  items, each: WORD name length, WORD item flags, DWORD value length,
//        DWORD object length, the name (LMBCS), the value exactly as the API
//        hands it out (type word first), then the object bytes (the file of
//        a $FILE item; empty for every other item).
// A deleted note keeps its record with no items: a deletion stub.
#pragma once
#include <notesapi.h>

#include <memory>
#include <string>
#include <vector>

namespace nsf {

constexpr char kMagic[8] = {'B', 'R', 'W', 'N', 'S', 'F', '0', '1'};
constexpr DWORD kFormatVersion = 1;
constexpr size_t kHeaderSize = 64;
constexpr size_t kNoteHeaderSize = 60;
constexpr size_t kItemHeaderSize = 12;

constexpr WORD kNoteDeleted = 0x0001;
constexpr WORD kNoteEncrypted = 0x0002;
constexpr WORD kNoteProfile = 0x0004;

struct DbInfo {
    TIMEDATE replicaId{};
    TIMEDATE created{};
    TIMEDATE dataModified{};
    TIMEDATE nonDataModified{};
    DWORD nextNoteId = 0;
    std::string title; // LMBCS
};

// A read-only view of one item inside the loaded file.
struct ItemView {
    const char* name;
    WORD nameLength;
    WORD flags;
    const BYTE* value; // type word first
    DWORD valueLength;
    const BYTE* object;
    DWORD objectLength;

    WORD Type() const noexcept;
};

// What a note record holds besides its items; every form of a note carries it.
struct NoteHeader {
    NOTEID id = 0;
    WORD noteClass = NOTE_CLASS_DOCUMENT;
    WORD flags = 0;
    ORIGINATORID oid{};
    TIMEDATE modified{};
    TIMEDATE added{};
};

struct NoteView : NoteHeader {
    const BYTE* record; // start of the record
    DWORD recordLength;
    WORD itemCount;
};

// File bytes without the zero-filling a vector does: a large database is
// read straight into it.
class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(size_t size) : bytes_(new BYTE[size == 0 ? 1 : size]), size_(size) {}
    BYTE* data() noexcept { return bytes_.get(); }
    const BYTE* data() const noexcept { return bytes_.get(); }
    size_t size() const noexcept { return size_; }

private:
    std::unique_ptr<BYTE[]> bytes_;
    size_t size_ = 0;
};

// A whole database file in memory, checked once when it is loaded; every
// pointer it hands out lies inside its own buffer.
class DbImage {
public:
    static std::shared_ptr<const DbImage> Parse(ByteBuffer bytes, STATUS* status);
    static std::shared_ptr<const DbImage> Parse(const std::vector<BYTE>& bytes, STATUS* status);

    const DbInfo& Info() const noexcept { return info_; }
    const std::vector<NoteView>& Notes() const noexcept { return notes_; }
    const NoteView* FindNote(NOTEID id) const noexcept;
    // Items are checked when a note is read, not when the file loads, so a
    // large database opens in one pass over the note headers.
    bool ItemsIntact(const NoteView& note) const noexcept;
    // The note's items in stored order; none when they are damaged.
    std::vector<ItemView> Items(const NoteView& note) const;
    size_t FileSize() const noexcept { return bytes_.size(); }

private:
    bool ParseNotes(DWORD count);
    ByteBuffer bytes_;
    DbInfo info_;
    std::vector<NoteView> notes_;
};

// Mutable form used by the database tool and DXL import.
struct ItemData {
    std::string name;
    WORD flags = 0;
    std::vector<BYTE> value; // type word first
    std::vector<BYTE> object;
};

struct NoteData : NoteHeader {
    std::vector<ItemData> items;

    ItemData* FindItem(const std::string& itemName);
};

struct DbData {
    DbInfo info;
    std::vector<NoteData> notes;

    NoteData* FindNote(NOTEID id);
    // Assigns the next id (aligned to 4, as file positions are) to a new note.
    NoteData& AddNote();
};

DbData ToData(const DbImage& image);
std::vector<BYTE> Serialize(const DbData& data);
// Writes beside the target and replaces it in one step, so a reader sees the
// old file or the new one, never a half-written one.
bool WriteFileAtomically(const std::wstring& path, const std::vector<BYTE>& bytes);
bool ReadWholeFile(const std::wstring& path, std::vector<BYTE>& bytes);
bool ReadWholeFile(const std::wstring& path, ByteBuffer& bytes);

} // namespace nsf
