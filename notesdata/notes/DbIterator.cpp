#include "notesdata/notes/DbIterator.h"

#include "connector/SettingsStore.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/NotesSearch.h"
#include "notesdata/notes/RegisteredDatabases.h"

#include <cstring>
#include <string>

namespace brw {
namespace {

constexpr char kPathItem[] = "$Path";

bool IsPathItem(const char* name, WORD nameLength)
{
    return nameLength == sizeof(kPathItem) - 1 && std::memcmp(name, kPathItem, nameLength) == 0;
}

bool IsSettingOn(const wchar_t* name)
{
    return settings::IsFlagSet(HKEY_CURRENT_USER, kSettingsKeyPath, name);
}

bool SearchDataDirectory(DbIterator& iterator)
{
    DbDirectory directory;
    if (!directory.Open()) {
        return false;
    }
    SearchWith(directory.Handle(), iterator);
    return true;
}

} // namespace

bool DbIterator::OnSummaryItem(const char* name, WORD nameLength, const char* text, WORD textLength)
{
    if (!IsPathItem(name, nameLength) || textLength == 0) {
        return true;
    }
    Db db;
    if (db.OpenByPath(std::string(text, textLength)) && db.CheckMail()) {
        found_ = true;
    }
    return true;
}

WORD DbIterator::SearchFlags() const
{
    return kDirectorySearchFlags;
}

WORD DbIterator::ClassMask() const
{
    return kDatabaseFiles;
}

bool ForceDatabaseOpens()
{
    const bool manual = IsSettingOn(settings::kManualSelection);
    DbIterator opened;
    if (manual) {
        SearchRegisteredDatabases(opened);
    }
    if (!SearchDataDirectory(opened)) {
        return opened.FoundMailDatabase();
    }
    // After a manual selection the list was opened already.
    DbIterator scanned;
    if (!manual && IsSettingOn(settings::kScanned)) {
        SearchRegisteredDatabases(scanned);
    }
    return opened.FoundMailDatabase() || scanned.FoundMailDatabase();
}

} // namespace brw
