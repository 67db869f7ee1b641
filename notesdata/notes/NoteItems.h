#pragma once
// The items of an open note in their stored order, their names, and their
// values' bytes. Item contents come from database files: names are read
// into bounded buffers and every reader of a value checks its length.
#include "notesdata/notes/NotesHandles.h"

#include <notesapi.h>

#include <functional>
#include <string>

namespace brw {

struct NoteItem {
    BLOCKID item;
    WORD type;
    BLOCKID value; // the type word first
    DWORD length;  // of the value, type word included
};

// Longest item name Notes stores (bytes of Notes text).
inline constexpr WORD kMaxItemNameBytes = 129;

// Calls visit for every item in order until it returns false. True when the
// walk went past the last item; false when visit stopped it or Notes failed.
bool ForEachNoteItem(NOTEHANDLE note, const std::function<bool(const NoteItem&)>& visit);

// The item's name, at most kMaxItemNameBytes bytes, cut at a NUL.
std::string ReadItemName(NOTEHANDLE note, BLOCKID item);

// A value's bytes for as long as the holder lives; null when the block
// does not lock.
class LockedValue {
public:
    explicit LockedValue(BLOCKID block) : memory_(block.pool), offset_(block.block) {}

    const char* Data() const { return memory_.get() != nullptr ? memory_.get() + offset_ : nullptr; }

private:
    LockedMemory memory_;
    BLOCK offset_;
};

} // namespace brw
