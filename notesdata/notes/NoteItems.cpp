#include "notesdata/notes/NoteItems.h"

#include <cstring>

namespace brw {

bool ForEachNoteItem(NOTEHANDLE note, const std::function<bool(const NoteItem&)>& visit)
{
    NoteItem current{};
    STATUS status = NSFItemInfo(note, nullptr, 0, &current.item, &current.type, &current.value, &current.length);
    while (status == NOERROR_STATUS) {
        if (!visit(current)) {
            return false;
        }
        const BLOCKID previous = current.item;
        status =
            NSFItemInfoNext(note, previous, nullptr, 0, &current.item, &current.type, &current.value, &current.length);
    }
    return ERR(status) == ERR_ITEM_NOT_FOUND;
}

std::string ReadItemName(NOTEHANDLE note, BLOCKID item)
{
    char name[kMaxItemNameBytes + 1] = {};
    WORD length = 0;
    NSFItemQuery(note, item, name, sizeof(name), &length, nullptr, nullptr, nullptr, nullptr);
    name[kMaxItemNameBytes] = '\0';
    return std::string(name, strnlen(name, length < kMaxItemNameBytes ? length : kMaxItemNameBytes));
}

} // namespace brw
