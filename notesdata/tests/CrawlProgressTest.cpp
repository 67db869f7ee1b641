// The crawl's progress record as the connector reads it: what a database's
// turn and a pass's end leave in it, and the checks at the library's edge.
#include "notesdata/crawl/CrawlProgress.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(CrawlProgress, ADatabaseTurnCountsItsOwnDocumentsAndAPassEndClearsIt)
{
    brw::CrawlProgress progress;
    EXPECT_EQ(BRWCrawlNotStarted, progress.Snapshot().state);
    progress.DatabaseStarted(L"mail\\a.nsf");
    progress.DocumentSent();
    progress.DocumentSent();
    progress.DatabaseStarted(L"mail\\b.nsf");
    progress.DocumentSent();
    BRWCrawlStatus status = progress.Snapshot();
    EXPECT_EQ(BRWCrawlIndexing, status.state);
    EXPECT_STREQ(L"mail\\b.nsf", status.database);
    EXPECT_EQ(1u, status.documentsSent) << "counted per database";

    progress.PassFinished();
    progress.PassFinished();
    status = progress.Snapshot();
    EXPECT_EQ(BRWCrawlUpToDate, status.state);
    EXPECT_STREQ(L"", status.database);
    EXPECT_EQ(0u, status.documentsSent);
    EXPECT_EQ(2u, status.passesFinished);
}

TEST(CrawlProgress, ANameLongerThanTheRecordKeepsItsEnd)
{
    brw::CrawlProgress progress;
    const std::wstring tail = L"\\jdoe.nsf";
    const std::wstring name = std::wstring(400, L'x') + tail;
    progress.DatabaseStarted(name);
    const BRWCrawlStatus status = progress.Snapshot();
    const std::wstring kept(status.database);
    EXPECT_EQ(static_cast<size_t>(MAX_PATH - 1), kept.size());
    EXPECT_EQ(name.substr(name.size() - kept.size()), kept);
}

TEST(CrawlProgress, ACallerWithoutTheRightSizeGetsNothing)
{
    brw::CrawlProgress progress;
    progress.DatabaseStarted(L"a.nsf");
    EXPECT_FALSE(progress.CopyTo(nullptr));
    BRWCrawlStatus status{};
    status.size = sizeof(status) - 1;
    status.documentsSent = 0xDEADBEEF;
    EXPECT_FALSE(progress.CopyTo(&status));
    EXPECT_EQ(0xDEADBEEFu, status.documentsSent) << "nothing written";
    status.size = sizeof(status);
    ASSERT_TRUE(progress.CopyTo(&status));
    EXPECT_EQ(BRWCrawlIndexing, status.state);
    EXPECT_STREQ(L"a.nsf", status.database);
}

} // namespace
