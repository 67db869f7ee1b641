#include "notesdata/notes/TextListValue.h"

#include <notesapi.h>

#include <cstring>

namespace brw {

bool ReadTextList(const char* value, DWORD length, std::vector<std::string_view>* entries)
{
    entries->clear();
    if (value == nullptr || length < sizeof(LIST)) {
        return false;
    }
    LIST header{};
    std::memcpy(&header, value, sizeof(header));
    const size_t lengthsEnd = sizeof(LIST) + static_cast<size_t>(header.ListEntries) * sizeof(USHORT);
    if (lengthsEnd > length) {
        return false;
    }
    size_t offset = lengthsEnd;
    for (USHORT i = 0; i < header.ListEntries; ++i) {
        USHORT entryLength = 0;
        std::memcpy(&entryLength, value + sizeof(LIST) + i * sizeof(USHORT), sizeof(entryLength));
        if (offset + entryLength > length) {
            entries->clear();
            return false;
        }
        entries->emplace_back(value + offset, entryLength);
        offset += entryLength;
    }
    return true;
}

} // namespace brw
