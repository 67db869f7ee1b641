#include "connector/DatabaseRows.h"

#include "connector/SettingsStore.h"

namespace brw {
namespace {

constexpr wchar_t kIncludedText[] = L"Yes";

// The main key's ManualSelection: the crawl then takes the list as the
// user's choice instead of choosing databases itself.
void MarkSelectionManual()
{
    RegKey mainKey = settings::OpenMainKeyForWriting();
    settings::WriteDword(mainKey.get(), settings::kManualSelection, 1);
}

} // namespace

DatabaseRows::DatabaseRows(DatabaseInfoSource& source, IndexExclusion& exclusion)
    : source_(source), exclusion_(exclusion)
{
}

void DatabaseRows::Fill()
{
    RegKey list = settings::OpenDatabasesKey(KEY_READ);
    rows_.clear();
    cachedRow_.reset();
    if (list) {
        FillFrom(list.get());
    }
}

void DatabaseRows::FillFrom(HKEY list)
{
    rows_.clear();
    cachedRow_.reset();
    for (DWORD index = 0;; ++index) {
        wchar_t name[settings::kDatabasePathLimit + 1];
        DWORD nameLength = settings::kDatabasePathLimit + 1;
        const LSTATUS status = RegEnumValueW(list, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            rows_.push_back({}); // a name longer than any database path
            continue;
        }
        if (status != ERROR_SUCCESS) {
            break; // the end, or the key went away
        }
        const std::wstring path(name, nameLength);
        rows_.push_back({path, settings::ReadString(list, path.c_str(), kRowDataLimit)});
    }
}

void DatabaseRows::Cache(size_t row)
{
    cachedRow_ = row;
    cached_ = DatabaseInfo();
    cachedOpened_ = rows_[row].Readable() && source_.Query(*rows_[row].path, InfoDetail::TitleAndModified, &cached_);
}

std::wstring DatabaseRows::CellText(size_t row, int column)
{
    if (row >= rows_.size() || column < 0 || column >= kDatabaseColumnCount) {
        return {};
    }
    if (column == static_cast<int>(DatabaseColumn::Included) || cachedRow_ != row) {
        Cache(row);
    }
    if (!cachedOpened_) {
        return {}; // unreadable or not opened: an empty row
    }
    switch (static_cast<DatabaseColumn>(column)) {
    case DatabaseColumn::Included:
        return kIncludedText;
    case DatabaseColumn::Title:
        return cached_.title;
    case DatabaseColumn::Path:
        return *rows_[row].path;
    case DatabaseColumn::LastIndexingStarted:
        return *rows_[row].data;
    case DatabaseColumn::LastUpdated:
        return cached_.modified;
    }
    return {};
}

std::wstring DatabaseRows::PathOf(size_t row) const
{
    return row < rows_.size() && rows_[row].path ? *rows_[row].path : std::wstring();
}

std::vector<std::wstring> DatabaseRows::Delete(const std::vector<size_t>& rows)
{
    MarkSelectionManual();
    std::vector<std::wstring> removed;
    RegKey list = settings::OpenDatabasesKey();
    for (size_t row : rows) {
        const std::wstring path = PathOf(row);
        if (path.empty() || !settings::DeleteValue(list.get(), path.c_str())) {
            continue;
        }
        exclusion_.Exclude(path);
        removed.push_back(path);
    }
    return removed;
}

bool DatabaseRows::Add(const std::wstring& path)
{
    MarkSelectionManual();
    if (path.empty() || path.size() > settings::kDatabasePathLimit) {
        return false;
    }
    RegKey list = settings::OpenDatabasesKey();
    if (!settings::WriteString(list.get(), path.c_str(), std::wstring())) {
        return false;
    }
    exclusion_.Include(path);
    return true;
}

} // namespace brw
