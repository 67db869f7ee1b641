#include "notesdata/RegisteredDatabases.h"

#include <string>

#include "connector/SettingsStore.h"
#include "notesdata/NotesText.h"

namespace brw {
namespace {

constexpr char kPathItem[] = "$Path";

}  // namespace

void SearchRegisteredDatabases(NSFSearchProcessor& processor)
{
    for (const settings::DatabaseEntry& entry : settings::ReadDatabaseList(0)) {
        if (!processor.BeginEntry(1)) {
            continue;
        }
        // Names are at most kDatabasePathLimit characters, so their Notes
        // text stays far below a summary item's 16-bit length.
        const std::string path = WideToLmbcs(entry.path);
        processor.OnSummaryItem(kPathItem, sizeof(kPathItem) - 1, path.c_str(), static_cast<WORD>(path.size()));
        processor.EndEntry();
    }
}

}  // namespace brw
