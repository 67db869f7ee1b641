#pragma once
// One pass of the crawl: the databases chosen for indexing, each opened,
// its documents changed since its last pass handed to the catalogue, and
// the pass's until-time recorded when all of them were taken.
#include "notesdata/crawl/CrawlControl.h"
#include "notesdata/notes/NoteTableWalk.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace brw {

// Where a database to crawl was found, which decides the name its
// since-time is kept under.
enum class TargetOrigin {
    DatabasesList, // the value's own name, relative or full as the user added it
    DataDirectory, // the database's full path
};

struct CrawlTarget {
    std::string path;      // Notes text, as Notes opens it
    std::wstring listName; // the Databases value name, for list entries
    TargetOrigin origin = TargetOrigin::DataDirectory;
};

enum class IndexState { Unchanged, Reset };

// Reads a database's table of documents modified since a time, as
// WalkModifiedDocuments does: Notes answers "no modified notes" (572) for
// an empty table, which a test's stand-in Notes never does by itself.
using ModifiedTableWalk = STATUS (*)(DBHANDLE db, const TIMEDATE& since, IIDTableProcessor& processor, TIMEDATE* until);

// What one database's turn came to; tests read it, the log says it.
enum class DatabaseOutcome {
    Recorded,       // every change was taken and the until-time written
    NothingChanged, // no modified notes: the since-time stays
    NotRecorded,    // the changes were taken but the list value is gone
    OpenFailed,
    CatalogueUnavailable,
    TableFailed,
    ExitedEarly, // the catalogue refused a batch, or the crawl was stopped
    Repeated,    // reached before in this pass
    PathTooLong,
};

class CrawlPass {
public:
    CrawlPass(std::wstring identity, IndexState state, const CrawlControl& control,
              ModifiedTableWalk walk = &WalkModifiedDocuments);

    // Which databases: the Databases list alone when ManualSelection is
    // set; otherwise the data directory, and the list too when Scanned is
    // set. False when the data directory was needed and could not be read
    // or opened: the pass is skipped, the crawl goes on.
    bool CollectTargets();
    // Processes every collected database; a stop request ends the pass
    // before the next database.
    void ProcessTargets();

    const std::vector<CrawlTarget>& Targets() const { return targets_; }
    // Outcomes in processing order, one per target reached.
    const std::vector<DatabaseOutcome>& Outcomes() const { return outcomes_; }

    DatabaseOutcome ProcessDatabase(const CrawlTarget& target);

private:
    bool CollectDirectory();
    void CollectList();

    std::wstring identity_;
    IndexState state_;
    const CrawlControl& control_;
    ModifiedTableWalk walk_;
    std::vector<CrawlTarget> targets_;
    std::vector<DatabaseOutcome> outcomes_;
    std::set<std::wstring> processed_;
};

} // namespace brw
