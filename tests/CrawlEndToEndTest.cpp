// The crawl end to end, every piece in the architecture it ships in: the
// crawl (32-bit, through the command client's crawl_databases) pushes what
// changed to the Windows Search stand-in, whose indexer host, looping, pulls
// each item through the registered protocol handler (64-bit) and the
// connector's pipe server, and the query command finds it. One memo is
// followed through a change, a deletion and an index reset. The indexer also
// crawls the user's root, so a pushed URL that differed from the one the
// filters announce would show as a second result.
#include "common/PipeProtocol.h"
#include "common/WideString.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

using brwtest::Quoted;

constexpr DWORD kWaitMs = 60000;
// A hang guard for one stage: the crawl reports a pass every second or so,
// and an item takes well under a second to index.
constexpr ULONGLONG kStageLimitMs = 90000;
constexpr wchar_t kSettingsKey[] = L"Software\\FenwoldInc\\BRW";
constexpr wchar_t kMemoDatabase[] = L"mail\\e2e.nsf";
// Words found nowhere else in the databases.
constexpr wchar_t kSubjectWord[] = L"zanzibar";
constexpr wchar_t kBodyWord[] = L"marmalade";
constexpr wchar_t kNewSubjectWord[] = L"kilimanjaro";
constexpr wchar_t kKeptWord[] = L"quixotic";

std::string RunTool(const std::wstring& program, const std::wstring& arguments)
{
    brwtest::RunningProcess process(brwtest::ProcessSpec{Quoted(program) + L" " + arguments});
    const brwtest::ProcessResult result = process.Wait(kWaitMs);
    EXPECT_EQ(0u, result.exitCode) << brw::WideToUtf8(arguments) << "\n" << result.output;
    return result.output;
}

std::wstring StandIn64(const wchar_t* name)
{
    return brwtest::BinaryIn64BitTree(std::wstring(L"platform\\winsearch\\") + name);
}

// 32-bit servers register through the 32-bit regsvr32, in their own view.
class Registration32 {
public:
    explicit Registration32(std::wstring library) : library_(std::move(library))
    {
        registered_ = Regsvr32(L"/s ") == 0;
    }
    ~Registration32()
    {
        if (registered_) {
            Regsvr32(L"/u /s ");
        }
    }
    Registration32(const Registration32&) = delete;
    Registration32& operator=(const Registration32&) = delete;

    bool Registered() const { return registered_; }

private:
    DWORD Regsvr32(const std::wstring& switches) const
    {
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        brwtest::RunningProcess process(brwtest::ProcessSpec{
            Quoted(std::wstring(windows) + L"\\syswow64\\regsvr32.exe") + L" " + switches + Quoted(library_)});
        return process.Wait(kWaitMs).exitCode;
    }

    std::wstring library_;
    bool registered_ = false;
};

// The number of results in the query command's JSON.
int ResultCount(const std::string& json)
{
    const std::string field = "{\"count\":";
    const size_t at = json.find(field);
    return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + field.size());
}

class CrawlEndToEnd : public ::testing::Test {
protected:
    static std::wstring StateFolder(const brwtest::ScratchFolder& root)
    {
        const std::wstring folder = root.Sub(L"state");
        CreateDirectoryW(folder.c_str(), nullptr);
        // Every program the test starts inherits the folder.
        SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, folder.c_str());
        return folder;
    }

    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(standIn64_.Result());
        ASSERT_TRUE(standIn32_.Registered());
        ASSERT_TRUE(monitor_.Registered());
        ASSERT_HRESULT_SUCCEEDED(handler_.Result());
        MakeDatabases();
        connector_ = Start(Quoted(brwtest::BinaryIn32BitTree(L"tests\\brw_pipe_server_host.exe")) + L" " +
                           Quoted(Ini()) + L" " + Quoted(brw::kConnectorPipeName));
        ASSERT_TRUE(connector_->WaitForOutput("ready", kWaitMs));
        indexer_ = Start(Quoted(StandIn64(L"BRWSearchIndexer.exe")) + L" --loop");
        crawl_ = Start(Quoted(brwtest::BinaryIn32BitTree(L"tests\\brw_crawl_host.exe")) + L" " + Quoted(Ini()) + L" 1");
        ASSERT_TRUE(crawl_->WaitForOutput("crawling", kWaitMs));
    }

    void TearDown() override
    {
        crawl_.reset();
        if (indexer_) {
            RunTool(StandIn64(L"BRWSearchIndexer.exe"), L"--stop");
            EXPECT_EQ(0u, indexer_->Wait(kWaitMs).exitCode);
            indexer_.reset();
        }
        connector_.reset();
        SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr);
    }

    std::wstring Ini() const { return root_.Sub(L"notes.ini"); }
    std::wstring Notesdb() const { return brwtest::BinaryIn32BitTree(L"platform\\notes\\notesdb.exe"); }
    std::wstring Database(const std::wstring& relative) const { return Quoted(root_.Sub(L"data\\" + relative)); }

    // The memo the test follows, one it keeps, and a generated mail file
    // with attachments around them.
    void MakeDatabases()
    {
        RunTool(Notesdb(), L"create " + Quoted(root_.Sub(L"data")) + L" --ini " + Quoted(Ini()));
        ASSERT_TRUE(CreateDirectoryW(root_.Sub(L"data\\mail").c_str(), nullptr));
        RunTool(Notesdb(), L"generate mail " + Database(L"mail\\generated.nsf") + L" --count 20 --seed 11");
        RunTool(Notesdb(), L"newdb " + Database(kMemoDatabase));
        const std::string added =
            RunTool(Notesdb(), L"add " + Database(kMemoDatabase) + L" --form Memo --text \"Subject=Plans for " +
                                   kSubjectWord + L"\" --richtext \"Body=Bring the " + kBodyWord + L" along\"");
        memoId_ = brw::Utf8ToWide(added.substr(0, added.find_first_of("\r\n")));
        RunTool(Notesdb(),
                L"add " + Database(kMemoDatabase) + L" --form Memo --text \"Subject=A " + kKeptWord + L" notion\"");
    }

    static std::unique_ptr<brwtest::RunningProcess> Start(const std::wstring& commandLine)
    {
        return std::make_unique<brwtest::RunningProcess>(brwtest::ProcessSpec{commandLine});
    }

    std::string Query(const std::wstring& word) { return RunTool(StandIn64(L"BRWSearchQuery.exe"), L"--json " + word); }

    // Waits for the crawl's next pass report; false at the deadline or when
    // the crawl ended.
    bool NextPass(ULONGLONG deadline)
    {
        const ULONGLONG now = GetTickCount64();
        const std::string report = "pass " + std::to_string(++passes_) + " ended";
        return now < deadline && crawl_->WaitForOutput(report, static_cast<DWORD>(deadline - now));
    }

    // Asks again after each pass the crawl reports until the word gives the
    // number of results; the last answer goes to json.
    bool FindsAfterPasses(const std::wstring& word, int expected, std::string* json)
    {
        const ULONGLONG deadline = GetTickCount64() + kStageLimitMs;
        do {
            *json = Query(word);
            if (ResultCount(*json) == expected) {
                return true;
            }
        } while (NextPass(deadline));
        return false;
    }

    void ExpectFound(const std::wstring& word, int expected)
    {
        std::string json;
        EXPECT_TRUE(FindsAfterPasses(word, expected, &json)) << brw::WideToUtf8(word) << "\n" << json;
    }

    // "reset {...}" of the catalogue's identity.
    std::string ResetSignature()
    {
        const std::string identity = RunTool(StandIn64(L"BRWSearchAdmin.exe"), L"identity");
        return identity.substr(0, identity.find(" checkpoint"));
    }

    // The URL of the only result.
    static std::string OnlyUrl(const std::string& json)
    {
        const std::string field = "\"url\":\"";
        const size_t at = json.find(field);
        return at == std::string::npos
                   ? std::string()
                   : json.substr(at + field.size(), json.find('"', at + field.size()) - at - field.size());
    }

    brwtest::ScratchFolder root_{L"brwcrawle2e"};
    std::wstring state_ = StateFolder(root_);
    brwtest::ScratchKey settings_{HKEY_CURRENT_USER, kSettingsKey};
    brwtest::ServerRegistration standIn64_{StandIn64(L"BRWSearchStandIn.dll")};
    Registration32 standIn32_{brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll")};
    Registration32 monitor_{brwtest::BinaryIn32BitTree(L"monitor32\\BRWMon32.dll")};
    brwtest::ServerRegistration handler_{brwtest::BinaryIn64BitTree(L"handler\\BRWHandler.dll")};
    std::wstring memoId_;
    unsigned passes_ = 0;
    // Ended in reverse order: the crawl, the indexer, the connector.
    std::unique_ptr<brwtest::RunningProcess> connector_;
    std::unique_ptr<brwtest::RunningProcess> indexer_;
    std::unique_ptr<brwtest::RunningProcess> crawl_;
};

TEST_F(CrawlEndToEnd, WhatTheCrawlPushesIsFoundChangedDeletedAndFoundAgainAfterAReset)
{
    ASSERT_FALSE(memoId_.empty());
    {
        SCOPED_TRACE("after the first pass: by a word of the subject and one of the body, once each");
        std::string bySubject;
        std::string byBody;
        ASSERT_TRUE(FindsAfterPasses(kSubjectWord, 1, &bySubject)) << bySubject;
        ASSERT_TRUE(FindsAfterPasses(kBodyWord, 1, &byBody)) << byBody;
        EXPECT_EQ(OnlyUrl(bySubject), OnlyUrl(byBody)) << "one item for the memo";
        EXPECT_EQ(0u, OnlyUrl(bySubject).rfind("brw://", 0)) << bySubject;
        ExpectFound(kKeptWord, 1);
    }
    {
        SCOPED_TRACE("a modified subject: found by its new word, no longer by the old");
        RunTool(Notesdb(), L"modify " + Database(kMemoDatabase) + L" " + memoId_ + L" --text \"Subject=Plans for " +
                               kNewSubjectWord + L"\"");
        ExpectFound(kNewSubjectWord, 1);
        ExpectFound(kSubjectWord, 0);
        ExpectFound(kBodyWord, 1);
    }
    {
        SCOPED_TRACE("a deleted memo is no longer found");
        RunTool(Notesdb(), L"delete " + Database(kMemoDatabase) + L" " + memoId_);
        ExpectFound(kBodyWord, 0);
        ExpectFound(kNewSubjectWord, 0);
    }
    {
        SCOPED_TRACE("after a reset of the index everything is found again");
        // The query reads the catalogue of the current reset signature, which
        // starts empty: what it finds now was pushed again.
        const std::string before = ResetSignature();
        RunTool(StandIn64(L"BRWSearchAdmin.exe"), L"reset");
        EXPECT_NE(before, ResetSignature());
        ExpectFound(kKeptWord, 1);
        ExpectFound(kBodyWord, 0);
    }
}

} // namespace
