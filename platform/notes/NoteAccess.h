// What the note entry points share: opening a note into a handle, resolving
// item and value block ids, and reading text values.
#pragma once
#include "platform/notes/Runtime.h"

#include <string>

namespace notes {

STATUS OpenNote(DBHANDLE hDB, NOTEID id, NOTEHANDLE* reth);
runtime::NoteObject* FindNote(NOTEHANDLE h);
// The first item of that name in an open note; null for a bad handle or name.
const runtime::ItemRef* FindNamedItem(NOTEHANDLE h, const char* name);
// The text of a TYPE_TEXT value, or the entries of a TYPE_TEXT_LIST joined by
// separator; value includes its type word. Empty for other types.
std::string TextOfValue(const BYTE* value, DWORD length, const std::string& separator = "; ");
// The block id that lends a value to the caller; its handle is the note's.
BLOCKID ValueBlock(runtime::NoteObject& note, size_t index);
// Resolves a value block id to its bytes (type word first); null when the
// block is not a live value.
const BYTE* ResolveBlock(BLOCKID block, DWORD length);

} // namespace notes
