#include "notesdata/notes/NotesSearch.h"

#include <cstring>
#include <vector>

namespace brw {
namespace {

struct SummaryItem {
    const char* name;
    WORD nameLength;
    const char* value;
    WORD valueLength;
};

// The items of a summary buffer, or nothing when their lengths run past the
// buffer's own length.
bool ReadSummaryItems(const ITEM_TABLE* summary, std::vector<SummaryItem>* items)
{
    const size_t total = summary->Length;
    const size_t tableBytes = sizeof(ITEM_TABLE) + static_cast<size_t>(summary->Items) * sizeof(ITEM);
    if (tableBytes > total) {
        return false;
    }
    const BYTE* base = reinterpret_cast<const BYTE*>(summary);
    size_t offset = tableBytes;
    for (USHORT i = 0; i < summary->Items; ++i) {
        ITEM item{};
        std::memcpy(&item, base + sizeof(ITEM_TABLE) + i * sizeof(ITEM), sizeof(ITEM));
        if (offset + item.NameLength + item.ValueLength > total) {
            return false;
        }
        const char* name = reinterpret_cast<const char*>(base + offset);
        items->push_back({name, item.NameLength, name + item.NameLength, item.ValueLength});
        offset += item.NameLength + item.ValueLength;
    }
    return true;
}

STATUS LNCALLBACK OnSearchMatch(void* context, SEARCH_MATCH*, ITEM_TABLE* summary)
{
    if (summary != nullptr) {
        ProcessSummary(summary, *static_cast<NSFSearchProcessor*>(context));
    }
    return NOERROR_STATUS;
}

} // namespace

void ProcessSummary(const ITEM_TABLE* summary, NSFSearchProcessor& processor)
{
    std::vector<SummaryItem> items;
    if (!ReadSummaryItems(summary, &items) || !processor.BeginEntry(summary->Items)) {
        return;
    }
    for (const SummaryItem& item : items) {
        if (item.valueLength < sizeof(WORD)) {
            continue;
        }
        WORD type = 0;
        std::memcpy(&type, item.value, sizeof(type));
        if (type == TYPE_TEXT && !processor.OnSummaryItem(item.name, item.nameLength, item.value + sizeof(WORD),
                                                          static_cast<WORD>(item.valueLength - sizeof(WORD)))) {
            return;
        }
    }
    processor.EndEntry();
}

STATUS SearchWith(DBHANDLE handle, NSFSearchProcessor& processor)
{
    const char* text = processor.SearchText();
    return NSFSearch(handle, 0, const_cast<char*>(text), processor.SearchFlags(), processor.ClassMask(), nullptr,
                     &OnSearchMatch, &processor, nullptr);
}

} // namespace brw
