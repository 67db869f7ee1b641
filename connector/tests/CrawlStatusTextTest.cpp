// The tray tip's words for what the crawl is doing, within the tip's room.
#include "connector/CrawlStatusText.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <string>

namespace {

BRWCrawlStatus Status(DWORD state, const std::wstring& database = L"", DWORD sent = 0)
{
    BRWCrawlStatus status{};
    status.size = sizeof(status);
    status.state = state;
    status.documentsSent = sent;
    wcsncpy(status.database, database.c_str(), MAX_PATH - 1);
    return status;
}

TEST(CrawlTip, EachStateHasItsWords)
{
    EXPECT_EQ(L"Brimlow Search", brw::CrawlTipText(Status(BRWCrawlNotStarted)));
    EXPECT_EQ(L"Brimlow Search \u2014 up to date", brw::CrawlTipText(Status(BRWCrawlUpToDate)));
    EXPECT_EQ(L"Brimlow Search \u2014 indexing mail\\jdoe.nsf, 1,200 documents sent",
              brw::CrawlTipText(Status(BRWCrawlIndexing, L"mail\\jdoe.nsf", 1200)));
    EXPECT_EQ(L"Brimlow Search", brw::CrawlTipText(Status(77))) << "a state this side does not know";
}

TEST(CrawlTip, CountsAreGroupedByThousands)
{
    struct Case {
        DWORD count;
        const wchar_t* text;
    };
    for (const Case& c : {Case{0, L"0"}, Case{999, L"999"}, Case{1000, L"1,000"}, Case{123456, L"123,456"},
                          Case{1234567, L"1,234,567"}, Case{4294967295u, L"4,294,967,295"}}) {
        EXPECT_EQ(c.text, brw::GroupedCount(c.count));
    }
}

TEST(CrawlTip, ALongPathFallsBackToItsFileNameAndAnOverlongNameToItsEnd)
{
    const std::wstring folder(150, L'f');
    const std::wstring longPath = L"C:\\" + folder + L"\\jdoe.nsf";
    const std::wstring byName = brw::CrawlTipText(Status(BRWCrawlIndexing, longPath, 5));
    EXPECT_EQ(L"Brimlow Search \u2014 indexing jdoe.nsf, 5 documents sent", byName);

    const std::wstring longName = std::wstring(200, L'n') + L".nsf";
    const std::wstring cut = brw::CrawlTipText(Status(BRWCrawlIndexing, L"C:\\" + longName, 5));
    EXPECT_EQ(brw::kTrayTipLimit, cut.size());
    EXPECT_NE(std::wstring::npos, cut.find(L"n.nsf, 5 documents sent"));
}

} // namespace
