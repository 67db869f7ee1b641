#pragma once
// get_database_list: the databases of the data directory, each with its
// directory summary items; with selected="true" the databases chosen for
// indexing, by the rule the crawl follows.
#include "notesdata/commands/CmdBase.h"
#include "notesdata/notes/Processors.h"

#include <string>
#include <utility>
#include <vector>

namespace brw {

struct DirectoryEntry {
    // Summary items as written: names and texts without one leading "$",
    // lower case.
    std::vector<std::pair<std::wstring, std::wstring>> items;
    // The entry's path as DatabasePathKey makes it, to match the Databases list.
    std::wstring fullPathKey;
};

class CmdGetDatabaseList final : public CmdBase, private NSFSearchProcessor {
public:
    using CmdBase::CmdBase;

    bool ReadAttributes() override;
    int Execute(ReplyWriter* writer) override;

private:
    bool BeginEntry(WORD itemCount) override;
    bool OnSummaryItem(const char* name, WORD nameLength, const char* text, WORD textLength) override;
    void EndEntry() override;
    WORD SearchFlags() const override;
    WORD ClassMask() const override;
    const char* SearchText() const override { return nullptr; }

    void WriteSelected(ReplyWriter* writer);

    std::wstring serverName_;
    bool selected_ = false;
    std::wstring dataDirectory_;
    std::vector<DirectoryEntry> entries_;
    DirectoryEntry current_;
};

std::unique_ptr<CmdBase> MakeGetDatabaseList(IXMLDOMElement* element);

// A database path as the Databases list or a directory entry gives it, in
// the one form brw URLs are made from (NormalizeDatabasePath), lower case.
std::wstring DatabasePathKey(const std::wstring& dataDirectory, const std::wstring& path);

} // namespace brw
