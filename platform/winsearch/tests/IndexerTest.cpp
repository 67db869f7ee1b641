// The indexer host as a whole: the 64-bit host crawling the tests'
// handler, processing notifications sent by callers of either architecture,
// surviving bad filters, and the query command over what it indexed.
#include "platform/winsearch/indexer/Indexer.h"

#include "common/WideString.h"
#include "platform/winsearch/tests/StandInHarness.h"
#include "platform/winsearch/tests/TestHandlerIds.h"
#include "tests/support/BuildTrees.h"

#include <gtest/gtest.h>

namespace brwtest {
namespace {

using brw::FormatText;

class IndexerTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(RegisterStandIn()); }

    static void AddRoot(const wchar_t* url, bool notificationsOnly = false)
    {
        const ProcessResult result =
            RunAdmin64(FormatText(L"addroot %s%s", url, notificationsOnly ? L" --notifications-only" : L""));
        ASSERT_EQ(0u, result.exitCode) << result.output;
    }

    static void Notify(const wchar_t* kind, const std::wstring& urls)
    {
        const ProcessResult result = RunAdmin64(FormatText(L"notify %s %s", kind, urls.c_str()));
        ASSERT_EQ(0u, result.exitCode) << result.output;
        ASSERT_EQ(0, CountOf(result.output, "item 0 ")) << result.output;
    }

    static std::string IndexOnce(const std::wstring& arguments = L"--once")
    {
        const ProcessResult result = RunIndexer(arguments);
        EXPECT_EQ(0u, result.exitCode) << result.output;
        return result.output;
    }

    // The count field of the query command's JSON answer.
    static int QueryCount(const std::wstring& arguments)
    {
        const ProcessResult result = RunQuery(L"--json --max 1000 " + arguments);
        EXPECT_EQ(0u, result.exitCode) << result.output;
        int count = -1;
        const size_t at = result.output.find("{\"count\":");
        if (at != std::string::npos) {
            count = std::atoi(result.output.c_str() + at + 9);
        }
        return count;
    }

    StateSandbox sandbox_;
};

TEST_F(IndexerTest, ACrawlOfThreeLevelsIndexesEveryLeafOnceAndSkipsUnchangedLeavesNextTime)
{
    AddRoot(L"brwtest://t3x3/");
    IndexOnce();
    // Several workers gather at once by default; each may have been handed work.
    const int workers = static_cast<int>(brw::winsearch::IndexerOptions{}.workers);
    const int inits = sandbox_.CountCallsStartingWith("Init ");
    EXPECT_TRUE(inits >= 1 && inits <= workers) << "Init once per worker, not per item: " << inits;
    EXPECT_EQ(inits, sandbox_.CountCalls("ShutDown"));
    for (int i = 1; i <= 3; ++i) {
        for (int j = 1; j <= 3; ++j) {
            for (int k = 1; k <= 3; ++k) {
                EXPECT_EQ(1, sandbox_.CountCalls(
                                 brw::WideToUtf8(FormatText(L"CreateAccessor brwtest://t3x3/n%d/n%d/n%d", i, j, k))));
            }
        }
    }
    EXPECT_EQ(40, sandbox_.CountCallsStartingWith("CreateAccessor "));
    EXPECT_EQ(40, sandbox_.CountCalls("CloseAccessor"));
    EXPECT_EQ(27, QueryCount(L"alpha"));
    EXPECT_EQ(19, QueryCount(L"N3 ALPHA")) << "every word, in any place, without case";

    // Links carry the leaves' times: unchanged leaves are not opened again.
    const std::string second = IndexOnce();
    EXPECT_EQ(40 + 13, sandbox_.CountCallsStartingWith("CreateAccessor ")) << second;
    EXPECT_NE(std::string::npos, second.find("unchanged 27")) << second;
    EXPECT_EQ(27, QueryCount(L"alpha"));
}

TEST_F(IndexerTest, AddModifyAndDeleteNotificationsUpdateTheCatalogue)
{
    AddRoot(L"brwtest://t2x2/", true);
    Notify(L"add", L"brwtest://t2x2/n1/n1 brwtest://t2x2/n1/n2");
    IndexOnce();
    EXPECT_EQ(0, sandbox_.CountCalls("CreateAccessor brwtest://t2x2/")) << "a notification-only root is not crawled";
    EXPECT_EQ(2, QueryCount(L"alpha gen0"));

    SetEnvironmentVariableW(kGenerationVariable, L"1");
    Notify(L"modify", L"brwtest://t2x2/n1/n1");
    IndexOnce();
    EXPECT_EQ(1, QueryCount(L"alpha gen1"));
    EXPECT_EQ(1, QueryCount(L"alpha gen0"));

    Notify(L"delete", L"brwtest://t2x2/n1");
    IndexOnce();
    EXPECT_EQ(0, QueryCount(L"alpha")) << "a delete takes everything below the URL";

    const ProcessResult identity = RunAdmin64(L"identity");
    EXPECT_NE(std::string::npos, identity.output.find("number 3")) << identity.output;
}

TEST_F(IndexerTest, AnItemWithoutATimeOfItsOwnIsNotGatheredAgainForChangesItsCopyCovers)
{
    AddRoot(L"brwtest://u2x2/");
    Notify(L"add", L"brwtest://u2x2/n1/n1");
    {
        SCOPED_TRACE("a notification queued before the crawl gathered the item");
        const std::string output = IndexOnce();
        EXPECT_EQ(1, sandbox_.CountCalls("CreateAccessor brwtest://u2x2/n1/n1")) << output;
        EXPECT_NE(std::string::npos, output.find("indexed 7 unchanged 1 ")) << output;
    }
    {
        SCOPED_TRACE("links whose time the stored copies cover");
        const std::string output = IndexOnce();
        EXPECT_EQ(1, sandbox_.CountCalls("CreateAccessor brwtest://u2x2/n1/n1")) << output;
        EXPECT_NE(std::string::npos, output.find("indexed 3 unchanged 4 ")) << "the containers only: " << output;
    }
    {
        SCOPED_TRACE("a notification queued after the item was gathered");
        Notify(L"modify", L"brwtest://u2x2/n1/n1");
        const std::string output = IndexOnce();
        EXPECT_EQ(2, sandbox_.CountCalls("CreateAccessor brwtest://u2x2/n1/n1")) << output;
        EXPECT_NE(std::string::npos, output.find("indexed 4 unchanged 4 ")) << output;
    }
    EXPECT_EQ(4, QueryCount(L"alpha"));
}

TEST_F(IndexerTest, NotificationsOfA32BitCallerAreProcessedByThe64BitHost)
{
    ProcessResult result = RunAdmin32(L"addroot brwtest://t2x2/ --notifications-only");
    ASSERT_EQ(0u, result.exitCode) << result.output;
    result = RunAdmin32(L"notify add --high brwtest://t2x2/n2/n1 brwtest://elsewhere/x");
    ASSERT_EQ(0u, result.exitCode) << result.output;
    EXPECT_NE(std::string::npos, result.output.find("0x80040D07 brwtest://elsewhere/x")) << result.output;
    const std::string output = IndexOnce();
    EXPECT_NE(std::string::npos, output.find("indexed 1 ")) << output;
    EXPECT_EQ(1, QueryCount(L"alpha n2 n1"));
}

TEST_F(IndexerTest, FailingHangingAndCrashingFiltersCostOnlyTheirItems)
{
    AddRoot(L"brwtest://special/");
    // One worker, so that the workers replaced can be counted.
    const std::string output = IndexOnce(L"--once --workers 1 --item-timeout-ms 3000");
    EXPECT_NE(std::string::npos, output.find("item failed (filter) 0x80004005 brwtest://special/fail")) << output;
    EXPECT_NE(std::string::npos, output.find("item timed out 0x800705B4 brwtest://special/hang")) << output;
    EXPECT_NE(std::string::npos, output.find("item crashed its filter host 0x80040D11 brwtest://special/crash"))
        << output;
    EXPECT_EQ(std::string::npos, output.find("brwtest://special/missing.zzz")) << output;
    EXPECT_NE(std::string::npos, output.find("failed 3 ")) << output;
    EXPECT_EQ(1, sandbox_.CountCalls("GetFilter zzz 0x00000000"))
        << "a type without a filter is indexed by its properties, not failed";
    EXPECT_EQ(3, sandbox_.CountCallsStartingWith("Init ")) << "a new worker after the hang and after the crash";

    EXPECT_EQ(1, QueryCount(L"special after words")) << "the crawl went on after the crash";
    EXPECT_EQ(1, QueryCount(L"special garbage words")) << "garbage chunks are skipped, the rest kept";
    EXPECT_EQ(1, QueryCount(L"plain stream words")) << "UTF-16 text through the host's TXT filter";
    EXPECT_EQ(1, QueryCount(L"caf\u00e9 eight")) << "UTF-8 text";
    EXPECT_EQ(1, QueryCount(L"hello rich text")) << "the host's RTF filter through GetFilter";
    EXPECT_EQ(1, QueryCount(L"registered filter words")) << "the filter registered for the extension";
    EXPECT_EQ(0, QueryCount(L"special hang"));
}

TEST_F(IndexerTest, TheQueryCommandFiltersByKindAuthorTypeAndDate)
{
    AddRoot(L"brwtest://t2x2/");
    IndexOnce();
    EXPECT_EQ(4, QueryCount(L"alpha"));
    EXPECT_EQ(2, QueryCount(L"--kind EMAIL alpha"));
    EXPECT_EQ(2, QueryCount(L"--author author0 alpha"));
    EXPECT_EQ(4, QueryCount(L"--type BRW/Test alpha"));
    EXPECT_EQ(0, QueryCount(L"--type BRW/Message alpha"));
    EXPECT_EQ(2, QueryCount(L"--from 2020-01-05 --to 2020-01-06 alpha"));
    EXPECT_EQ(1, QueryCount(L"--to 2020-01-04 alpha"));

    const ProcessResult newest = RunQuery(L"--json --max 1 alpha");
    EXPECT_NE(std::string::npos,
              newest.output.find("{\"name\":\"Leaf n2 n2\",\"author\":\"Author0\",\"date\":\"2020-01-07T00:00:00Z\","
                                 "\"kind\":\"document\",\"itemType\":\"BRW/Test\",\"url\":\"brwtest://t2x2/n2/n2\"}"))
        << newest.output;
    const ProcessResult text = RunQuery(L"--kind email alpha");
    EXPECT_NE(std::string::npos, text.output.find("Leaf n2 n1 | Author2 | 2020-01-06T00:00:00Z | email | "
                                                  "brwtest://t2x2/n2/n1"))
        << text.output;
    for (const wchar_t* bad : {L"--from 2020-02-30 x", L"--max 0 x", L"--kind", L"--colour red x"}) {
        EXPECT_EQ(2u, RunQuery(bad).exitCode) << brw::WideToUtf8(bad);
    }

    // Without the host's snapshot the command reads the catalogue itself.
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((sandbox_.Folder() + L"\\*.idx").c_str(), &data);
    ASSERT_NE(INVALID_HANDLE_VALUE, find);
    FindClose(find);
    ASSERT_TRUE(DeleteFileW((sandbox_.Folder() + L"\\" + data.cFileName).c_str()));
    EXPECT_EQ(2, QueryCount(L"--kind EMAIL alpha"));
    EXPECT_EQ(1, QueryCount(L"--to 2020-01-04 alpha"));
}

TEST_F(IndexerTest, ALoopingHostFollowsNotificationsUntilStopped)
{
    AddRoot(L"brwtest://t2x2/", true);
    ProcessSpec launch;
    launch.commandLine = Quoted(StandInBinary64(L"BRWSearchIndexer.exe")) + L" --loop";
    RunningProcess host(launch);
    ASSERT_TRUE(host.WaitForOutput("idle 1", 60000));
    Notify(L"add", L"brwtest://t2x2/n2/n2");
    ASSERT_TRUE(host.WaitForOutput("idle 2", 60000));
    EXPECT_EQ(1, QueryCount(L"alpha"));
    EXPECT_EQ(0u, RunIndexer(L"--stop").exitCode);
    const ProcessResult result = host.Wait(60000);
    EXPECT_EQ(0u, result.exitCode) << result.output;
    EXPECT_EQ(1, sandbox_.CountCalls("ShutDown"));
}

TEST_F(IndexerTest, AResetEmptiesTheCatalogueAndALoopingHostCrawlsAgain)
{
    AddRoot(L"brwtest://t2x2/");
    ProcessSpec launch;
    launch.commandLine = Quoted(StandInBinary64(L"BRWSearchIndexer.exe")) + L" --loop";
    RunningProcess host(launch);
    ASSERT_TRUE(host.WaitForOutput("idle 1", 60000));
    EXPECT_EQ(4, QueryCount(L"alpha"));
    const std::string before = RunAdmin64(L"identity").output;
    ASSERT_EQ(0u, RunAdmin64(L"reset").exitCode);
    const std::string after = RunAdmin64(L"identity").output;
    EXPECT_NE(before.substr(0, 45), after.substr(0, 45)) << "a new reset signature";
    ASSERT_TRUE(host.WaitForOutput("idle 2", 60000));
    EXPECT_EQ(4, QueryCount(L"alpha")) << "the whole scope is indexed again";
    EXPECT_EQ(2, sandbox_.CountCalls("CreateAccessor brwtest://t2x2/n1/n1")) << "leaves are read again after a reset";
    EXPECT_EQ(0u, RunIndexer(L"--stop").exitCode);
    EXPECT_EQ(0u, host.Wait(60000).exitCode);
}

} // namespace
} // namespace brwtest
