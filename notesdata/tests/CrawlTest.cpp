// The crawl over databases made by the stand-in's tool, notifying the
// Windows Search stand-in in a state folder of each case's own: what each
// pass notifies, which since-time it records and when it must not, which
// databases it chooses, and how the loop stops and wakes.
#include "common/ComHolders.h"
#include "common/IndexChangeMonitorApi.h"
#include "common/SearchCatalogue.h"
#include "common/WideString.h"
#include "connector/CrawlRoot.h"
#include "connector/UserIdentity.h"
#include "notesdata/commands/RequestXml.h"
#include "notesdata/crawl/CmdCrawlDatabases.h"
#include "notesdata/crawl/IndexNotifier.h"
#include "notesdata/crawl/SinceTime.h"
#include "notesdata/tests/DocumentFixture.h"
#include "notesdata/tests/NewsWindow.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <searchapi.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace {

using brw::DatabaseOutcome;

constexpr wchar_t kDatabasesKey[] = L"Software\\FenwoldInc\\BRW\\Databases";
constexpr wchar_t kSettingsKey[] = L"Software\\FenwoldInc\\BRW";

struct Queued {
    DWORD kind;
    std::wstring url;
    bool operator==(const Queued& other) const { return kind == other.kind && url == other.url; }
};

std::ostream& operator<<(std::ostream& out, const Queued& change)
{
    return out << change.kind << " " << brw::WideToUtf8(change.url);
}

// A note last modified long ago, so that only what a case changes is newer
// than a recorded pass.
std::string OldNote(const std::string& id, const std::string& subject)
{
    return "<document form='Memo'><noteinfo noteid='" + id +
           "'><modified><datetime>20200102T030405,00+00</datetime></modified></noteinfo>"
           "<item name='Subject'><text>" +
           subject + "</text></item></document>";
}

class CrawlTest : public brwtest::DocumentFixture {
protected:
    void SetUp() override
    {
        ClearSettings();
        DocumentFixture::SetUp();
        SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, state_.c_str());
        standIn_ = std::make_unique<brwtest::ServerRegistration>(
            brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll"));
        ASSERT_HRESULT_SUCCEEDED(standIn_->Result());
    }
    void TearDown() override
    {
        standIn_.reset();
        SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr);
        DocumentFixture::TearDown();
        ClearSettings();
    }

    static void ClearSettings()
    {
        brwtest::DeleteTree(HKEY_CURRENT_USER, kDatabasesKey);
        brw::RegKey key;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, key.put()) == ERROR_SUCCESS) {
            for (const wchar_t* name : {L"ManualSelection", L"Scanned", L"IndexGUID"}) {
                RegDeleteValueW(key.get(), name);
            }
        }
    }

    void Select(const std::wstring& name, const std::wstring& data = L"")
    {
        ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, kDatabasesKey, name, data));
    }
    void SetFlag(const wchar_t* name) { ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kSettingsKey, name, 1)); }
    std::optional<std::wstring> SinceValue(const std::wstring& name) const
    {
        return brwtest::GetString(HKEY_CURRENT_USER, kDatabasesKey, name);
    }

    // Three old memos, 8F6, 8FA and 8FE, in a database of the data directory.
    void MakeMemos(const std::wstring& database)
    {
        ImportDatabase(database, OldNote("8f6", "alpha") + OldNote("8fa", "beta") + OldNote("8fe", "gamma"));
    }

    std::wstring Url(const std::wstring& database, DWORD id) const
    {
        return brw::NoteDocumentUrl(brw::UserIdentity(), database, id);
    }

    // The notifications the catalogue queued since the last call.
    std::vector<Queued> TakeQueued()
    {
        std::ifstream file((state_ + L"\\queue.txt").c_str(), std::ios::binary);
        std::ostringstream bytes;
        bytes << file.rdbuf();
        std::vector<Queued> all;
        std::wistringstream lines(brw::Utf8ToWide(bytes.str()));
        std::wstring line;
        while (std::getline(lines, line)) {
            std::wistringstream fields(line);
            std::wstring priority, kind, docId, url;
            if (std::getline(fields, priority, L'\t') && std::getline(fields, kind, L'\t') &&
                std::getline(fields, docId, L'\t') && std::getline(fields, url)) {
                all.push_back({static_cast<DWORD>(std::stoul(kind)), url});
            }
        }
        std::vector<Queued> fresh(all.begin() + std::min(taken_, all.size()), all.end());
        taken_ = all.size();
        return fresh;
    }

    // The command as the connector sends it, for this user.
    std::unique_ptr<brw::CmdCrawlDatabases> Command(const brw::CrawlControl& control, const std::wstring& more = L"")
    {
        request_ = std::make_unique<brw::RequestXml>();
        const std::wstring text = L"<crawl_databases sid=\"" + brw::UserIdentity() + L"\" " + more + L"/>";
        if (!request_->Load(text.c_str())) {
            ADD_FAILURE() << "request not parsed";
            return nullptr;
        }
        auto command = std::make_unique<brw::CmdCrawlDatabases>(request_->Element(), control);
        command->ReadAttributes();
        return command;
    }

    // One pass as the loop runs it, without a monitor.
    std::vector<DatabaseOutcome> Pass(brw::IndexState state = brw::IndexState::Unchanged)
    {
        brw::CrawlPass pass(brw::UserIdentity(), state, control_);
        EXPECT_TRUE(pass.CollectTargets());
        pass.ProcessTargets();
        return pass.Outcomes();
    }

    HRESULT ResetCatalogue()
    {
        brw::ComPtr<ISearchCatalogManager> catalog;
        const HRESULT hr = brw::OpenSystemCatalogue(catalog);
        return SUCCEEDED(hr) ? catalog->Reset() : hr;
    }

    brwtest::ScratchFolder scratch_{L"brwcrawl"};
    std::wstring state_ = scratch_.Sub(L"state");
    std::unique_ptr<brwtest::ServerRegistration> standIn_;
    brw::CrawlControl control_;
    std::unique_ptr<brw::RequestXml> request_;
    size_t taken_ = 0;
};

TEST_F(CrawlTest, PassesNotifyWhatChangedSinceTheRecordedTime)
{
    MakeMemos(L"mail\\a.nsf");
    SetFlag(L"ManualSelection");
    Select(L"mail\\a.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());

    {
        SCOPED_TRACE("the first pass notifies every document");
        EXPECT_EQ(std::vector<DatabaseOutcome>{DatabaseOutcome::Recorded}, Pass());
        const BRWCrawlStatus progress = control_.Progress().Snapshot();
        EXPECT_EQ(BRWCrawlIndexing, progress.state) << "the pass's end is the loop's to tell";
        EXPECT_STREQ(L"mail\\a.nsf", progress.database) << "named as listed";
        EXPECT_EQ(3u, progress.documentsSent);
        const std::vector<Queued> expected{{SEARCH_CHANGE_ADD, Url(L"mail\\a.nsf", 0x8F6)},
                                           {SEARCH_CHANGE_ADD, Url(L"mail\\a.nsf", 0x8FA)},
                                           {SEARCH_CHANGE_ADD, Url(L"mail\\a.nsf", 0x8FE)}};
        EXPECT_EQ(expected, TakeQueued());
        EXPECT_FALSE(SinceValue(L"mail\\a.nsf").value_or(L"").empty()) << "recorded under the name as listed";
        EXPECT_FALSE(SinceValue(DataPath(L"mail\\a.nsf")).has_value()) << "not under the full path";
    }
    {
        SCOPED_TRACE("nothing changed");
        Pass();
        EXPECT_EQ(std::vector<Queued>{}, TakeQueued());
    }
    {
        SCOPED_TRACE("a modified document alone");
        Notesdb(L"modify " + brwtest::Quoted(DataPath(L"mail\\a.nsf")) + L" 8FA --text Subject=changed");
        Pass();
        EXPECT_EQ((std::vector<Queued>{{SEARCH_CHANGE_ADD, Url(L"mail\\a.nsf", 0x8FA)}}), TakeQueued());
    }
    {
        SCOPED_TRACE("a deleted document gives a delete");
        Notesdb(L"delete " + brwtest::Quoted(DataPath(L"mail\\a.nsf")) + L" 8FE");
        Pass();
        // 8FA changed within the hour before the recorded time, which is
        // read back an hour early: it comes again, harmlessly.
        const std::vector<Queued> expected{{SEARCH_CHANGE_ADD, Url(L"mail\\a.nsf", 0x8FA)},
                                           {SEARCH_CHANGE_DELETE, Url(L"mail\\a.nsf", 0x8FE)}};
        EXPECT_EQ(expected, TakeQueued());
    }
    {
        SCOPED_TRACE("an unparsable since-value gives a full pass");
        Select(L"mail\\a.nsf", L"not a time");
        Pass();
        EXPECT_EQ(2u, TakeQueued().size()) << "both live documents";
    }
}

TEST_F(CrawlTest, ARefusedBatchLeavesTheSinceTimeForTheNextPass)
{
    MakeMemos(L"a.nsf");
    SetFlag(L"ManualSelection");
    Select(L"a.nsf");
    // No crawl root yet: the catalogue answers 0x80040D07 for every URL.
    EXPECT_EQ(std::vector<DatabaseOutcome>{DatabaseOutcome::ExitedEarly}, Pass());
    EXPECT_EQ(L"", SinceValue(L"a.nsf").value_or(L"(gone)"));

    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    EXPECT_EQ(std::vector<DatabaseOutcome>{DatabaseOutcome::Recorded}, Pass());
    EXPECT_EQ(3u, TakeQueued().size());
}

TEST_F(CrawlTest, AValueDeletedDuringThePassIsNotCreatedAgain)
{
    MakeMemos(L"a.nsf");
    SetFlag(L"ManualSelection");
    Select(L"a.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    brw::CrawlPass pass(brw::UserIdentity(), brw::IndexState::Unchanged, control_);
    ASSERT_TRUE(pass.CollectTargets());
    ASSERT_TRUE(brwtest::DeleteTree(HKEY_CURRENT_USER, kDatabasesKey)) << "the user removes the database";
    pass.ProcessTargets();
    EXPECT_EQ(std::vector<DatabaseOutcome>{DatabaseOutcome::NotRecorded}, pass.Outcomes());
    EXPECT_FALSE(SinceValue(L"a.nsf").has_value());
    EXPECT_EQ(3u, TakeQueued().size()) << "its changes were still handed over";
}

// Which databases a pass takes, by the two flags.
TEST_F(CrawlTest, TheFlagsChooseTheDatabases)
{
    MakeMemos(L"a.nsf");
    MakeMemos(L"sub\\b.nsf");
    const std::wstring outside = scratch_.Sub(L"outside.nsf");
    Select(L"sub\\b.nsf");
    Select(outside);

    struct Case {
        const char* name;
        bool manual;
        bool scanned;
        std::vector<brw::TargetOrigin> origins;
    };
    const brw::TargetOrigin dir = brw::TargetOrigin::DataDirectory;
    const brw::TargetOrigin list = brw::TargetOrigin::DatabasesList;
    const Case cases[] = {
        {"neither: the data directory", false, false, {dir, dir}},
        {"Scanned: the directory, then the list", false, true, {dir, dir, list, list}},
        {"ManualSelection: the list alone", true, false, {list, list}},
        {"both: the list alone", true, true, {list, list}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearSettings();
        Select(L"sub\\b.nsf");
        Select(outside);
        if (c.manual) {
            SetFlag(L"ManualSelection");
        }
        if (c.scanned) {
            SetFlag(L"Scanned");
        }
        brw::CrawlPass pass(brw::UserIdentity(), brw::IndexState::Unchanged, control_);
        ASSERT_TRUE(pass.CollectTargets());
        std::vector<brw::TargetOrigin> origins;
        for (const brw::CrawlTarget& target : pass.Targets()) {
            origins.push_back(target.origin);
        }
        EXPECT_EQ(c.origins, origins);
    }
}

TEST_F(CrawlTest, ADatabaseReachedTwiceIsProcessedOnceAndTheDirectoryNamesItByItsFullPath)
{
    MakeMemos(L"a.nsf");
    SetFlag(L"Scanned");
    Select(L"a.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    EXPECT_EQ((std::vector<DatabaseOutcome>{DatabaseOutcome::Recorded, DatabaseOutcome::Repeated}), Pass());
    EXPECT_EQ(3u, TakeQueued().size());
    EXPECT_FALSE(SinceValue(DataPath(L"a.nsf")).value_or(L"").empty());
    EXPECT_EQ(L"", SinceValue(L"a.nsf").value_or(L"(gone)"));
}

TEST_F(CrawlTest, AListedDatabaseThatDoesNotOpenIsSkipped)
{
    MakeMemos(L"a.nsf");
    SetFlag(L"ManualSelection");
    Select(L"missing.nsf");
    Select(L"a.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    const std::vector<DatabaseOutcome> outcomes = Pass();
    EXPECT_EQ(1, std::count(outcomes.begin(), outcomes.end(), DatabaseOutcome::OpenFailed));
    EXPECT_EQ(1, std::count(outcomes.begin(), outcomes.end(), DatabaseOutcome::Recorded));
    EXPECT_EQ(3u, TakeQueued().size());
}

// Notes answers a table call with "no modified notes" (572) when nothing
// changed; any other failure is a failure.
template <STATUS kStatus>
STATUS AnswerWith(DBHANDLE, const TIMEDATE&, brw::IIDTableProcessor&, TIMEDATE*)
{
    return kStatus;
}

TEST_F(CrawlTest, NoModifiedNotesKeepsTheSinceTimeAndIsNoFailure)
{
    MakeMemos(L"a.nsf");
    SetFlag(L"ManualSelection");
    Select(L"a.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    ASSERT_EQ(std::vector<DatabaseOutcome>{DatabaseOutcome::Recorded}, Pass());
    const std::wstring recorded = SinceValue(L"a.nsf").value_or(L"");
    ASSERT_FALSE(recorded.empty());
    TakeQueued();

    const struct {
        const char* name;
        brw::ModifiedTableWalk walk;
        DatabaseOutcome outcome;
    } cases[] = {
        {"572: nothing changed", &AnswerWith<ERR_NO_MODIFIED_NOTES>, DatabaseOutcome::NothingChanged},
        {"572 with the package's flag bits", &AnswerWith<ERR_NO_MODIFIED_NOTES | 0x4000>,
         DatabaseOutcome::NothingChanged},
        {"another status: a failed table", &AnswerWith<ERR_BAD_PARAMETER>, DatabaseOutcome::TableFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        brw::CrawlPass pass(brw::UserIdentity(), brw::IndexState::Unchanged, control_, c.walk);
        ASSERT_TRUE(pass.CollectTargets());
        pass.ProcessTargets();
        EXPECT_EQ(std::vector<DatabaseOutcome>{c.outcome}, pass.Outcomes());
        EXPECT_EQ(recorded, SinceValue(L"a.nsf").value_or(L"(gone)")) << "the since-time stays";
        EXPECT_EQ(std::vector<Queued>{}, TakeQueued());
    }
}

// A name longer than any database path cannot be read into the walk's
// buffer; it is passed over and the databases listed after it still come.
TEST_F(CrawlTest, AListedNameTooLongIsSkippedAndTheNamesAfterItAreCrawled)
{
    MakeMemos(L"b.nsf");
    SetFlag(L"ManualSelection");
    // Created first and sorted first, so whichever order the registry
    // enumerates in, the readable name does not come before it by chance.
    const std::wstring tooLong = L"a" + std::wstring(300, L'x') + L".nsf";
    Select(tooLong);
    Select(L"b.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    brw::CrawlPass pass(brw::UserIdentity(), brw::IndexState::Unchanged, control_);
    ASSERT_TRUE(pass.CollectTargets());
    ASSERT_EQ(1u, pass.Targets().size());
    EXPECT_EQ(L"b.nsf", pass.Targets()[0].listName);
    pass.ProcessTargets();
    EXPECT_EQ(std::vector<DatabaseOutcome>{DatabaseOutcome::Recorded}, pass.Outcomes());
    EXPECT_EQ(3u, TakeQueued().size());
    EXPECT_EQ(L"", SinceValue(tooLong).value_or(L"(gone)")) << "the long value is left as the user wrote it";
}

// A data directory that cannot be opened costs that pass alone: the loop
// waits and the next pass crawls it.
TEST_F(CrawlTest, AMissingDataDirectorySkipsThePassAndTheNextPassRuns)
{
    MakeMemos(L"a.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    const std::wstring away = DataDir() + L".away";
    ASSERT_TRUE(MoveFileW(DataDir().c_str(), away.c_str()));
    brw::CrawlControl control;
    // The window hears of the skipped pass's end alone: it indexed nothing.
    const brwtest::NewsWindow news;
    ASSERT_EQ(brw::WatchRegistration::Accepted,
              control.Progress().Watch().Register(news.Handle(), brwtest::NewsWindow::kMessage));
    news.Take();
    auto command = Command(control, L"period=\"3600\"");
    ASSERT_TRUE(command);
    int result = -1;
    std::thread crawl([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        result = command->Execute(nullptr);
        CoUninitialize();
    });
    constexpr DWORD kPassLimitMs = 60000; // a hang guard only
    const bool firstEnded = control.WaitForPassFinished(kPassLimitMs);
    const BOOL restored = MoveFileW(away.c_str(), DataDir().c_str());
    EXPECT_TRUE(firstEnded);
    EXPECT_EQ(std::vector<Queued>{}, TakeQueued()) << "nothing to crawl without the directory";
    EXPECT_EQ(std::vector<WPARAM>{BRWCrawlPassEnded}, news.Take());
    control.RequestCrawlNow();
    EXPECT_TRUE(control.WaitForPassFinished(kPassLimitMs));
    EXPECT_EQ((std::vector<WPARAM>{BRWCrawlPassBegan, BRWCrawlPassEnded}), news.Take());
    control.RequestStop();
    crawl.join();
    control.Progress().Watch().Unregister();
    ASSERT_TRUE(restored);
    EXPECT_EQ(3u, TakeQueued().size()) << "the next pass crawled the directory";
    EXPECT_FALSE(SinceValue(DataPath(L"a.nsf")).value_or(L"").empty());
    EXPECT_EQ(1, result);
}

// After a reset every database starts again, and one that fails in that
// pass still starts from the beginning in the next.
TEST_F(CrawlTest, AResetGivesEveryDatabaseAFullPassEvenWhenOneFailsInIt)
{
    brwtest::ServerRegistration monitorServer(brwtest::BinaryIn32BitTree(L"monitor32\\BRWMon32.dll"));
    ASSERT_HRESULT_SUCCEEDED(monitorServer.Result());
    MakeMemos(L"a.nsf");
    MakeMemos(L"b.nsf");
    SetFlag(L"ManualSelection");
    Select(L"a.nsf");
    Select(L"b.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    ASSERT_EQ(S_OK, CoCreateInstance(brw::kIndexChangeMonitorClsid, nullptr, CLSCTX_INPROC_SERVER,
                                     brw::IID_IIndexChangeMonitor, monitor.put_void()));
    auto command = Command(control_);
    ASSERT_TRUE(command);
    command->RunPass(monitor.get());
    EXPECT_EQ(6u, TakeQueued().size());
    command->RunPass(monitor.get());
    EXPECT_EQ(0u, TakeQueued().size()) << "nothing changed, no reset";

    ASSERT_EQ(S_OK, ResetCatalogue());
    const std::wstring away = DataPath(L"b.away");
    ASSERT_TRUE(MoveFileW(DataPath(L"b.nsf").c_str(), away.c_str())) << "b cannot be opened in this pass";
    command->RunPass(monitor.get());
    EXPECT_EQ(3u, TakeQueued().size()) << "a again from the beginning";
    ASSERT_TRUE(MoveFileW(away.c_str(), DataPath(L"b.nsf").c_str()));

    command->RunPass(monitor.get());
    const std::vector<Queued> next = TakeQueued();
    EXPECT_EQ(3u, next.size()) << "b starts from the beginning too";
    for (const Queued& change : next) {
        EXPECT_NE(std::wstring::npos, change.url.find(L"/b.nsf/")) << change;
    }
}

TEST_F(CrawlTest, TheLoopWakesForCrawlNowAndEndsWhenStopped)
{
    MakeMemos(L"a.nsf");
    SetFlag(L"ManualSelection");
    Select(L"a.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    brw::CrawlControl control;
    // The crawl thread's news, read on this thread: each pass begins and
    // ends once, and nothing comes between passes.
    const brwtest::NewsWindow news;
    ASSERT_EQ(brw::WatchRegistration::Accepted,
              control.Progress().Watch().Register(news.Handle(), brwtest::NewsWindow::kMessage));
    const std::vector<WPARAM> onePass{BRWCrawlPassBegan, BRWCrawlPassEnded};
    EXPECT_EQ(std::vector<WPARAM>{BRWCrawlPassEnded}, news.Take()) << "no pass yet";
    auto command = Command(control, L"period=\"3600\"");
    ASSERT_TRUE(command);
    int result = -1;
    std::thread crawl([&] {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        result = command->Execute(nullptr);
        CoUninitialize();
    });
    // A hang guard only: a pass takes well under a second.
    constexpr DWORD kPassLimitMs = 60000;
    ASSERT_TRUE(control.WaitForPassFinished(kPassLimitMs));
    EXPECT_EQ(3u, TakeQueued().size());
    EXPECT_EQ(BRWCrawlUpToDate, control.Progress().Snapshot().state);
    EXPECT_EQ(1u, control.Progress().Snapshot().passesFinished);
    EXPECT_EQ(onePass, news.Take());
    const unsigned long added = AddNote(L"a.nsf", L"--form Memo --text Subject=delta");
    control.RequestCrawlNow();
    EXPECT_TRUE(control.WaitForPassFinished(kPassLimitMs)) << "crawl now started a pass within the hour's period";
    EXPECT_EQ(2u, control.Progress().Snapshot().passesFinished);
    EXPECT_EQ((std::vector<Queued>{{SEARCH_CHANGE_ADD, Url(L"a.nsf", added)}}), TakeQueued());
    EXPECT_EQ(onePass, news.Take());
    control.RequestStop();
    crawl.join();
    EXPECT_EQ(1, result);
    EXPECT_EQ(std::vector<WPARAM>{}, news.Take()) << "a stop while waiting is no pass";
    control.Progress().Watch().Unregister();
}

TEST_F(CrawlTest, TheServiceRunsTheCommandAndACrawlAfterAStopEndsAtOnce)
{
    MakeMemos(L"a.nsf");
    SetFlag(L"ManualSelection");
    Select(L"a.nsf");
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    // What the connector's BRWCrawlStop does, before the crawl began.
    brw::CrawlControl::Process().RequestStop();
    const brwtest::CommandResult result = Run(L"<crawl_databases sid=\"" + brw::UserIdentity() + L"\" period=\"1\"/>");
    EXPECT_EQ(1, result.result) << "a crawl that ends answers as one that gave up";
    EXPECT_EQ(std::vector<Queued>{}, TakeQueued()) << "no pass ran";
    EXPECT_EQ(L"", SinceValue(L"a.nsf").value_or(L"(gone)"));
}

TEST(CrawlControl, StopWinsOverCrawlNowAndStays)
{
    brw::CrawlControl control;
    ASSERT_TRUE(control.IsReady());
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    EXPECT_EQ(brw::WaitOutcome::NextPass, control.WaitForNextPass(0)) << "a period that has ended";
    control.RequestCrawlNow();
    EXPECT_FALSE(control.StopRequested());
    EXPECT_EQ(brw::WaitOutcome::NextPass, control.WaitForNextPass(INFINITE));
    control.RequestCrawlNow();
    control.RequestStop();
    EXPECT_EQ(brw::WaitOutcome::Stopped, control.WaitForNextPass(INFINITE));
    EXPECT_EQ(brw::WaitOutcome::Stopped, control.WaitForNextPass(INFINITE)) << "a stop stays";
    EXPECT_TRUE(control.StopRequested());
    CoUninitialize();
}

TEST(CrawlControl, AStopFromAnotherThreadEndsAWaitOfAnHour)
{
    brw::CrawlControl control;
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    std::thread stopper([&control] { control.RequestStop(); });
    EXPECT_EQ(brw::WaitOutcome::Stopped, control.WaitForNextPass(3600 * 1000));
    stopper.join();
    CoUninitialize();
}

TEST(SinceTime, OneHourEarlierCrossesMidnightAndKeepsTheZone)
{
    const TIMEDATE noon{{12 * 360000, 0x85000000 | 2459000}};
    const TIMEDATE halfPastMidnight{{30 * 6000, 0x85000000 | 2459000}};
    EXPECT_EQ(11u * 360000, brw::OneHourEarlier(noon).Innards[0]);
    EXPECT_EQ(noon.Innards[1], brw::OneHourEarlier(noon).Innards[1]);
    const TIMEDATE before = brw::OneHourEarlier(halfPastMidnight);
    EXPECT_EQ(23u * 360000 + 30 * 6000, before.Innards[0]);
    EXPECT_EQ(0x85000000u | 2458999, before.Innards[1]);
    const TIMEDATE dayZero{{1000, 0}};
    EXPECT_EQ(1000u, brw::OneHourEarlier(dayZero).Innards[0]) << "no day before the first";
}

TEST(CrawlAttributes, ThePeriodIsSecondsWithinADay)
{
    const struct {
        const wchar_t* attributes;
        DWORD seconds;
    } cases[] = {
        {L"", 300},
        {L"period=\"5\"", 5},
        {L"period=\"86400\"", 86400},
        {L"period=\"86401\"", 300},
        {L"period=\"0\"", 300},
        {L"period=\"-5\"", 300},
        {L"period=\"5s\"", 300},
        {L"period=\"99999999999\"", 300},
    };
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    for (const auto& c : cases) {
        SCOPED_TRACE(brw::WideToUtf8(c.attributes));
        brw::RequestXml request;
        ASSERT_TRUE(request.Load((L"<crawl_databases " + std::wstring(c.attributes) + L"/>").c_str()));
        brw::CmdCrawlDatabases command(request.Element(), brw::CrawlControl::Process());
        command.ReadAttributes();
        EXPECT_EQ(c.seconds, command.PeriodSeconds());
    }
    CoUninitialize();
}

} // namespace
