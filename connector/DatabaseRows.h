#pragma once
// The rows of the database list window, kept apart from the control: each
// row knows its own database (the list item carries the row's number), the
// texts of the five columns come from a one-row cache that records which
// row it holds, and Delete and Add change the list key and the index scope
// for exactly the databases they are given.
#include "connector/DatabaseInfoSource.h"
#include "connector/IndexExclusion.h"

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace brw {

// The "Last Indexing Started" text is read with this limit.
inline constexpr size_t kRowDataLimit = 99;
inline constexpr int kDatabaseColumnCount = 5;

enum class DatabaseColumn { Included = 0, Title = 1, Path = 2, LastIndexingStarted = 3, LastUpdated = 4 };

struct DatabaseRow {
    std::optional<std::wstring> path; // absent when the value's name could not be read
    std::optional<std::wstring> data; // absent when its data is not a readable string
    bool Readable() const { return path && data; }
};

class DatabaseRows {
public:
    DatabaseRows(DatabaseInfoSource& source, IndexExclusion& exclusion);
    virtual ~DatabaseRows() = default;
    DatabaseRows(const DatabaseRows&) = delete;
    DatabaseRows& operator=(const DatabaseRows&) = delete;

    // Reads the list key again. A value whose name or data cannot be read
    // is a row with empty columns; the values after it are still read.
    void Fill();
    // Reads the list from a key the caller holds open.
    void FillFrom(HKEY list);

    size_t Count() const { return rows_.size(); }
    const DatabaseRow& Row(size_t row) const { return rows_.at(row); }

    // The text of one cell. The source is asked about a row once per
    // repaint: when its first column is drawn, or when a cell of another
    // row than the cached one is asked for. Out of range gives "".
    std::wstring CellText(size_t row, int column);

    // Removes the listed databases of these rows from the list key and
    // from the index scope, marks the selection as made by hand (also with
    // no rows given), and returns the paths removed. The caller fills
    // again after.
    std::vector<std::wstring> Delete(const std::vector<size_t>& rows);

    // Lists path (not indexed yet), lets its documents into the index again
    // and marks the selection as made by hand. False when it could not be
    // listed.
    bool Add(const std::wstring& path);

    // The path of a row for commands on it; empty when it has none.
    std::wstring PathOf(size_t row) const;

private:
    void Cache(size_t row);

    DatabaseInfoSource& source_;
    IndexExclusion& exclusion_;
    std::vector<DatabaseRow> rows_;
    std::optional<size_t> cachedRow_;
    bool cachedOpened_ = false;
    DatabaseInfo cached_;
};

// The advice Delete always shows.
inline constexpr wchar_t kRebuildAdvice[] =
    L"In order to delete this database from your searches, it is recommended you go to the Indexing "
    L"Options/Advanced dialog and select Rebuild.";

} // namespace brw
