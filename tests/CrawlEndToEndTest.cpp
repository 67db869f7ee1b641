// The crawl end to end, every piece in the architecture it ships in: the
// crawl (32-bit, through the command client's crawl_databases) pushes what
// changed to the Windows Search stand-in, whose indexer host, looping, pulls
// each item through the registered protocol handler (64-bit) and the
// connector's pipe server, and the query command finds it. One memo is
// followed through a change, a deletion and an index reset. The indexer also
// crawls the user's root, so a pushed URL that differed from the one the
// filters announce would show as a second result.
#include "common/WideString.h"
#include "tests/endtoend/CrawlStage.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

// A hang guard for one stage: the crawl reports a pass every second or so,
// and an item takes well under a second to index.
constexpr ULONGLONG kStageLimitMs = 90000;
constexpr DWORD kStartLimitMs = 60000;
constexpr wchar_t kMemoDatabase[] = L"mail\\e2e.nsf";
// Words found nowhere else in the databases.
constexpr wchar_t kSubjectWord[] = L"zanzibar";
constexpr wchar_t kBodyWord[] = L"marmalade";
constexpr wchar_t kNewSubjectWord[] = L"kilimanjaro";
constexpr wchar_t kKeptWord[] = L"quixotic";

// The number of results in the query command's JSON.
int ResultCount(const std::string& json)
{
    const std::string field = "{\"count\":";
    const size_t at = json.find(field);
    return at == std::string::npos ? -1 : std::atoi(json.c_str() + at + field.size());
}

// The URL of the first result.
std::string FirstUrl(const std::string& json)
{
    const std::string field = "\"url\":\"";
    const size_t at = json.find(field);
    if (at == std::string::npos) {
        return std::string();
    }
    const size_t start = at + field.size();
    return json.substr(start, json.find('"', start) - start);
}

class CrawlEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(stage_.Registered());
        MakeDatabases();
        ASSERT_TRUE(stage_.StartConnector());
        ASSERT_TRUE(stage_.StartIndexer());
        ASSERT_TRUE(stage_.StartCrawl(1));
    }
    void TearDown() override
    {
        const brwtest::ProcessResult indexer = stage_.StopAll();
        EXPECT_EQ(0u, indexer.exitCode) << "the indexer host ended cleanly\n" << indexer.output;
    }

    std::string Tool(const brwtest::ProcessResult& result)
    {
        EXPECT_EQ(0u, result.exitCode) << result.output;
        return result.output;
    }

    // The memo the test follows, one it keeps, and a generated mail file
    // with attachments around them.
    void MakeDatabases()
    {
        ASSERT_TRUE(stage_.MakeDataDirectory());
        Tool(stage_.Notesdb(L"generate mail " + stage_.Database(L"mail\\generated.nsf") + L" --count 20 --seed 11"));
        Tool(stage_.Notesdb(L"newdb " + stage_.Database(kMemoDatabase)));
        const std::string added =
            Tool(stage_.Notesdb(L"add " + stage_.Database(kMemoDatabase) + L" --form Memo --text \"Subject=Plans for " +
                                kSubjectWord + L"\" --richtext \"Body=Bring the " + kBodyWord + L" along\""));
        memoId_ = brw::Utf8ToWide(added.substr(0, added.find_first_of("\r\n")));
        Tool(stage_.Notesdb(L"add " + stage_.Database(kMemoDatabase) + L" --form Memo --text \"Subject=A " + kKeptWord +
                            L" notion\""));
    }

    std::string Query(const std::wstring& word) { return Tool(stage_.Query(L"--json " + word)); }

    // "reset {...}" of the catalogue's identity.
    std::string ResetSignature()
    {
        const std::string identity = Tool(stage_.Admin(L"identity"));
        return identity.substr(0, identity.find(" checkpoint"));
    }

    // Asks again after each pass the crawl reports until the word gives the
    // number of results; the last answer goes to json.
    bool FindsAfterPasses(const std::wstring& word, int expected, std::string* json)
    {
        const ULONGLONG deadline = GetTickCount64() + kStageLimitMs;
        for (;;) {
            *json = Query(word);
            const ULONGLONG now = GetTickCount64();
            if (ResultCount(*json) == expected) {
                return true;
            }
            if (now >= deadline || !stage_.WaitForPass(++passes_, static_cast<DWORD>(deadline - now))) {
                return false;
            }
        }
    }

    void ExpectFound(const std::wstring& word, int expected)
    {
        std::string json;
        EXPECT_TRUE(FindsAfterPasses(word, expected, &json)) << brw::WideToUtf8(word) << "\n" << json;
    }

    brwtest::CrawlStage stage_{L"brwcrawle2e"};
    std::wstring memoId_;
    unsigned long passes_ = 0;
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
        EXPECT_EQ(FirstUrl(bySubject), FirstUrl(byBody)) << "one item for the memo";
        EXPECT_EQ(0u, FirstUrl(bySubject).rfind("brw://", 0)) << bySubject;
        ExpectFound(kKeptWord, 1);
    }
    {
        SCOPED_TRACE("a modified subject: found by its new word, no longer by the old");
        Tool(stage_.Notesdb(L"modify " + stage_.Database(kMemoDatabase) + L" " + memoId_ +
                            L" --text \"Subject=Plans for " + kNewSubjectWord + L"\""));
        ExpectFound(kNewSubjectWord, 1);
        ExpectFound(kSubjectWord, 0);
        ExpectFound(kBodyWord, 1);
    }
    {
        SCOPED_TRACE("a deleted memo is no longer found");
        Tool(stage_.Notesdb(L"delete " + stage_.Database(kMemoDatabase) + L" " + memoId_));
        ExpectFound(kBodyWord, 0);
        ExpectFound(kNewSubjectWord, 0);
    }
    {
        SCOPED_TRACE("after a reset of the index everything is found again");
        // The query reads the catalogue of the current reset signature, which
        // starts empty: what it finds now was pushed again.
        const std::string before = ResetSignature();
        Tool(stage_.Admin(L"reset"));
        EXPECT_NE(before, ResetSignature());
        ExpectFound(kKeptWord, 1);
        ExpectFound(kBodyWord, 0);
    }
}

} // namespace
