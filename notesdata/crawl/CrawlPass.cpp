#include "notesdata/crawl/CrawlPass.h"

#include "common/ComHolders.h"
#include "common/DebugConsole.h"
#include "connector/SettingsStore.h"
#include "notesdata/commands/CmdGetDatabaseList.h"
#include "notesdata/crawl/IndexNotifier.h"
#include "notesdata/crawl/SinceTime.h"
#include "notesdata/notes/Db.h"
#include "notesdata/notes/NotesSearch.h"
#include "notesdata/notes/NotesText.h"
#include "notesdata/notes/NotesTime.h"
#include "notesdata/notes/RegisteredDatabases.h"

#include <optional>

namespace brw {
namespace {

constexpr char kPathItem[] = "$Path";
// How often the id walk looks for a stop request; a look is a kernel call.
constexpr DWORD kStopCheckInterval = 64;

// The "$Path" of every database the data directory search finds.
class DirectoryPaths final : public NSFSearchProcessor {
public:
    explicit DirectoryPaths(std::vector<CrawlTarget>* targets) : targets_(targets) {}

    bool BeginEntry(WORD itemCount) override { return itemCount != 0; }
    bool OnSummaryItem(const char* name, WORD nameLength, const char* text, WORD textLength) override
    {
        if (nameLength != sizeof(kPathItem) - 1 || std::string(name, nameLength) != kPathItem || textLength == 0) {
            return true;
        }
        const std::wstring path = LmbcsToWide(text, textLength);
        if (path.size() > settings::kDatabasePathLimit) {
            LogText(L"Path too long, skipped:", path.substr(0, settings::kDatabasePathLimit).c_str());
            return true;
        }
        targets_->push_back(CrawlTarget{std::string(text, textLength), std::wstring(), TargetOrigin::DataDirectory});
        return true;
    }
    void EndEntry() override {}
    WORD SearchFlags() const override { return kDirectorySearchFlags; }
    WORD ClassMask() const override { return kDatabaseFiles; }
    const char* SearchText() const override { return nullptr; }

private:
    std::vector<CrawlTarget>* targets_;
};

// Hands each id to the notifier with its log line, and stops the walk when
// a batch was refused or the crawl is asked to stop.
class NotifyingWalk final : public IIDTableProcessor {
public:
    NotifyingWalk(IndexNotifier& notifier, const CrawlControl& control) : notifier_(notifier), control_(control) {}

    bool OnNoteId(DWORD id) override
    {
        if (++seen_ % kStopCheckInterval == 0 && control_.StopRequested()) {
            stopped_ = true;
            return false;
        }
        LogHex(L"Add document: ", id);
        if (!notifier_.OnNoteId(id)) {
            stopped_ = true;
            return false;
        }
        control_.Progress().DocumentSent();
        return true;
    }
    bool Stopped() const { return stopped_; }

private:
    IndexNotifier& notifier_;
    const CrawlControl& control_;
    DWORD seen_ = 0;
    bool stopped_ = false;
};

bool NoModifiedNotes(STATUS status)
{
    return ERR(status) == ERR_NO_MODIFIED_NOTES;
}

} // namespace

CrawlPass::CrawlPass(std::wstring identity, IndexState state, const CrawlControl& control, ModifiedTableWalk walk)
    : identity_(std::move(identity)), state_(state), control_(control), walk_(walk ? walk : &WalkModifiedDocuments)
{
}

bool CrawlPass::CollectTargets()
{
    targets_.clear();
    const bool manual = settings::IsFlagSet(HKEY_CURRENT_USER, kSettingsKeyPath, settings::kManualSelection);
    const bool scanned = settings::IsFlagSet(HKEY_CURRENT_USER, kSettingsKeyPath, settings::kScanned);
    if (!manual && !CollectDirectory()) {
        return false;
    }
    if (manual || scanned) {
        CollectList();
    }
    return true;
}

bool CrawlPass::CollectDirectory()
{
    const std::optional<std::string> folder = ReadDataDirectory(256);
    DbDirectory directory;
    if (!folder || !directory.Open(*folder)) {
        LogString(L"Failed to open the data directory; the pass is skipped\n");
        return false;
    }
    DirectoryPaths paths(&targets_);
    SearchWith(directory.Handle(), paths);
    return true;
}

void CrawlPass::CollectList()
{
    // Value names longer than a database path are skipped by the walk, and
    // their data is never read here, so no value hides the ones after it.
    for (const std::wstring& name : RegisteredDatabasePaths()) {
        if (!name.empty()) {
            targets_.push_back(CrawlTarget{WideToLmbcs(name), name, TargetOrigin::DatabasesList});
        }
    }
}

void CrawlPass::ProcessTargets()
{
    for (const CrawlTarget& target : targets_) {
        if (control_.StopRequested()) {
            return;
        }
        outcomes_.push_back(ProcessDatabase(target));
    }
}

DatabaseOutcome CrawlPass::ProcessDatabase(const CrawlTarget& target)
{
    Db db;
    if (!db.OpenByPath(target.path)) {
        LogNarrow(L"Failed to open: ", target.path.c_str());
        return DatabaseOutcome::OpenFailed;
    }
    const std::wstring fullPath = db.FullPath();
    if (fullPath.empty() || fullPath.size() > settings::kDatabasePathLimit) {
        LogNarrow(L"Path too long, skipped:", target.path.c_str());
        return DatabaseOutcome::PathTooLong;
    }
    if (!processed_.insert(ToLowerText(fullPath)).second) {
        return DatabaseOutcome::Repeated;
    }
    LogText(L"Process file: ", fullPath.c_str());
    control_.Progress().DatabaseStarted(target.origin == TargetOrigin::DatabasesList ? target.listName : fullPath);
    ComPtr<ISearchItemsChangedSink> sink;
    const HRESULT hr = ConnectItemsChangedSink(sink);
    if (FAILED(hr)) {
        LogHex0x(L"Failed to process:", static_cast<unsigned>(hr));
        return DatabaseOutcome::CatalogueUnavailable;
    }
    const std::wstring valueName = target.origin == TargetOrigin::DatabasesList ? target.listName : fullPath;
    const TIMEDATE since = state_ == IndexState::Reset ? EarliestTime() : ReadSinceTime(valueName);

    IndexNotifier notifier(identity_, db.ReplicaId(), fullPath, sink.get());
    NotifyingWalk notifying(notifier, control_);
    TIMEDATE until{};
    const STATUS status = walk_(db.Handle(), since, notifying, &until);
    if (NoModifiedNotes(status)) {
        return DatabaseOutcome::NothingChanged;
    }
    if (status != NOERROR_STATUS) {
        LogLong(L"Failed to get documents to index", static_cast<long>(status));
        return DatabaseOutcome::TableFailed;
    }
    // The last batch goes before the time is recorded: a refused batch must
    // leave the since-time where it was, so the next pass retries.
    if (notifying.Stopped() || !notifier.Flush()) {
        LogString(L"Exit early\n");
        return DatabaseOutcome::ExitedEarly;
    }
    LogString(L"Exit processing\n");
    const RecordRule rule =
        target.origin == TargetOrigin::DatabasesList ? RecordRule::OnlyIfListed : RecordRule::CreateWhenAbsent;
    return RecordUntilTime(valueName, until, rule) ? DatabaseOutcome::Recorded : DatabaseOutcome::NotRecorded;
}

} // namespace brw
