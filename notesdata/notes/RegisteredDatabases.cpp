#include "notesdata/notes/RegisteredDatabases.h"

#include "common/DebugConsole.h"
#include "connector/SettingsStore.h"
#include "notesdata/notes/NotesText.h"

#include <iterator>

namespace brw {
namespace {

constexpr char kPathItem[] = "$Path";

LSTATUS ReadValueName(HKEY key, DWORD index, wchar_t* name, DWORD* nameLength)
{
    return RegEnumValueW(key, index, name, nameLength, nullptr, nullptr, nullptr, nullptr);
}

} // namespace

void ForEachValueName(HKEY key, const std::function<void(const std::wstring&)>& visit, ValueNameReader reader)
{
    if (reader == nullptr) {
        reader = &ReadValueName;
    }
    for (DWORD index = 0;; ++index) {
        wchar_t name[settings::kDatabasePathLimit + 1];
        DWORD nameLength = static_cast<DWORD>(std::size(name));
        const LSTATUS status = reader(key, index, name, &nameLength);
        if (status == ERROR_MORE_DATA) {
            // Longer than any path this system writes; the name cannot be
            // shown, since it was never read.
            LogLong(L"Database name too long, skipped: value", static_cast<long>(index));
            continue;
        }
        if (status != ERROR_SUCCESS) {
            return;
        }
        visit(std::wstring(name, nameLength < std::size(name) ? nameLength : std::size(name) - 1));
    }
}

std::vector<std::wstring> RegisteredDatabasePaths()
{
    std::vector<std::wstring> paths;
    const RegKey list = settings::OpenForReading(HKEY_CURRENT_USER, settings::kDatabasesKeyPath);
    if (list) {
        ForEachValueName(list.get(), [&paths](const std::wstring& name) { paths.push_back(name); });
    }
    return paths;
}

void SearchRegisteredDatabases(NSFSearchProcessor& processor)
{
    for (const std::wstring& path : RegisteredDatabasePaths()) {
        if (!processor.BeginEntry(1)) {
            continue;
        }
        // Names are at most kDatabasePathLimit characters, so their Notes
        // text stays far below a summary item's 16-bit length.
        const std::string text = WideToLmbcs(path);
        processor.OnSummaryItem(kPathItem, sizeof(kPathItem) - 1, text.c_str(), static_cast<WORD>(text.size()));
        processor.EndEntry();
    }
}

} // namespace brw
