#include "notesdata/commands/CmdGetDatabaseList.h"

#include "common/BrwUrlText.h"
#include "connector/SettingsStore.h"
#include "notesdata/commands/ReplyText.h"
#include "notesdata/commands/RequestXml.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/NotesSearch.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/RegisteredDatabases.h"

#include <algorithm>
#include <set>

namespace brw {
namespace {

std::wstring WithoutDollar(std::wstring text)
{
    if (!text.empty() && text[0] == L'$') {
        text.erase(0, 1);
    }
    return ToLowerText(std::move(text));
}

void WriteEntry(ReplyWriter* writer, const DirectoryEntry& entry)
{
    writer->OpenElement(L"database");
    for (const auto& item : entry.items) {
        // Item names become tags; escaped like any text from a database.
        WriteTextElement(writer, EscapedText(item.first).c_str(), item.second);
    }
    writer->CloseElement(L"database");
}

} // namespace

std::wstring DatabasePathKey(const std::wstring& dataDirectory, const std::wstring& path)
{
    return ToLowerText(NormalizeDatabasePath(path, dataDirectory));
}

bool CmdGetDatabaseList::ReadAttributes()
{
    serverName_ = ReadTextAttribute(Element(), L"servername", L"Local");
    selected_ = ReadBoolAttribute(Element(), L"selected", false);
    return true;
}

int CmdGetDatabaseList::Execute(ReplyWriter* writer)
{
    DbDirectory directory;
    const std::optional<std::string> folder = ReadDataDirectory(256);
    if (!folder || !directory.Open(*folder)) {
        return 1;
    }
    dataDirectory_ = LmbcsToWide(*folder);
    SearchWith(directory.Handle(), *this);
    directory.Close();
    writer->Begin();
    writer->OpenElement(L"databases");
    if (selected_) {
        WriteSelected(writer);
    } else {
        for (const DirectoryEntry& entry : entries_) {
            WriteEntry(writer, entry);
        }
    }
    writer->CloseElement(L"databases");
    return 0;
}

// ManualSelection: the Databases list alone; otherwise the data directory,
// and the list too when Scanned is set. Each database once; one outside
// the data directory is named by its full path.
void CmdGetDatabaseList::WriteSelected(ReplyWriter* writer)
{
    const bool manual = settings::IsFlagSet(HKEY_CURRENT_USER, kSettingsKeyPath, settings::kManualSelection);
    const bool scanned = settings::IsFlagSet(HKEY_CURRENT_USER, kSettingsKeyPath, settings::kScanned);
    std::set<std::wstring> written;
    if (!manual) {
        for (const DirectoryEntry& entry : entries_) {
            if (written.insert(entry.fullPathKey).second) {
                WriteEntry(writer, entry);
            }
        }
    }
    if (!manual && !scanned) {
        return;
    }
    for (const std::wstring& listed : RegisteredDatabasePaths()) {
        if (listed.empty()) {
            continue;
        }
        const std::wstring key = DatabasePathKey(dataDirectory_, listed);
        if (!written.insert(key).second) {
            continue;
        }
        const auto inDirectory = std::find_if(entries_.begin(), entries_.end(),
                                              [&key](const DirectoryEntry& entry) { return entry.fullPathKey == key; });
        if (inDirectory != entries_.end()) {
            WriteEntry(writer, *inDirectory);
        } else {
            WriteEntry(writer, DirectoryEntry{{{L"path", key}}, key});
        }
    }
}

bool CmdGetDatabaseList::BeginEntry(WORD itemCount)
{
    current_ = DirectoryEntry{};
    return itemCount != 0;
}

bool CmdGetDatabaseList::OnSummaryItem(const char* name, WORD nameLength, const char* text, WORD textLength)
{
    if (nameLength == 0 || textLength == 0) {
        return true;
    }
    std::wstring itemName = LmbcsToWide(name, nameLength);
    std::wstring itemText = LmbcsToWide(text, textLength);
    if (itemName == L"$Path") {
        current_.fullPathKey = DatabasePathKey(dataDirectory_, itemText);
    }
    current_.items.emplace_back(WithoutDollar(std::move(itemName)), WithoutDollar(std::move(itemText)));
    return true;
}

void CmdGetDatabaseList::EndEntry()
{
    entries_.push_back(std::move(current_));
}

WORD CmdGetDatabaseList::SearchFlags() const
{
    return kDirectorySearchFlags;
}

WORD CmdGetDatabaseList::ClassMask() const
{
    return kDatabaseFiles;
}

std::unique_ptr<CmdBase> MakeGetDatabaseList(IXMLDOMElement* element)
{
    return std::make_unique<CmdGetDatabaseList>(element);
}

} // namespace brw
