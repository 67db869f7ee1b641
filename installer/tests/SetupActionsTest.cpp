// The steps the package's custom actions take: closing running connectors,
// and the installing user's crawl root from the installer's SID text.
#include "installer/ConnectorClose.h"
#include "installer/CrawlRootSetup.h"
#include "installer/LibraryFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

constexpr DWORD kStartWaitMs = 30000;

// A window class no other test or program uses.
std::wstring UniqueClass()
{
    return L"BRWSetupTest" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount64());
}

enum class OnClose { End, Ignore };

std::unique_ptr<brwtest::RunningProcess> StartWindow(const std::wstring& className, OnClose onClose)
{
    brwtest::ProcessSpec launch;
    launch.commandLine = brwtest::Quoted(brwtest::ThisProgramFolder() + L"\\ConnectorWindowDouble.exe") + L" " +
                         className + (onClose == OnClose::Ignore ? L" --ignore-close" : L"");
    auto process = std::make_unique<brwtest::RunningProcess>(launch);
    EXPECT_TRUE(process->Started()) << process->StartError();
    EXPECT_TRUE(process->WaitForOutput("ready", kStartWaitMs));
    return process;
}

TEST(CloseWindowsOfClass, EveryWindowOfTheClassIsAskedAndItsProcessEnds)
{
    const std::wstring className = UniqueClass();
    auto first = StartWindow(className, OnClose::End);
    auto second = StartWindow(className, OnClose::End);

    const brw::CloseResult result = brw::CloseWindowsOfClass(className.c_str(), kStartWaitMs);
    EXPECT_EQ(2u, result.asked);
    EXPECT_TRUE(result.allEnded);
    EXPECT_EQ(0u, first->Wait(kStartWaitMs).exitCode);
    EXPECT_EQ(0u, second->Wait(kStartWaitMs).exitCode);
}

TEST(CloseWindowsOfClass, NoWindowMeansNothingToWaitFor)
{
    const brw::CloseResult result = brw::CloseWindowsOfClass(UniqueClass().c_str(), kStartWaitMs);
    EXPECT_EQ(0u, result.asked);
    EXPECT_TRUE(result.allEnded);
}

TEST(CloseWindowsOfClass, AConnectorThatStaysIsReportedAfterTheWait)
{
    const std::wstring className = UniqueClass();
    auto stubborn = StartWindow(className, OnClose::Ignore);
    auto other = StartWindow(UniqueClass(), OnClose::End);

    const brw::CloseResult result = brw::CloseWindowsOfClass(className.c_str(), 0);
    EXPECT_EQ(1u, result.asked);
    EXPECT_FALSE(result.allEnded);
    // A window of another class is never touched.
    EXPECT_TRUE(other->Wait(0).timedOut);
}

// A type library's registration names its folder without the closing
// backslash the installer's directory properties carry; the package's keys
// must match a server's own registration exactly.
TEST(LibraryFolderText, LosesOnlyTheDirectorysClosingBackslash)
{
    EXPECT_EQ(L"C:\\Notes", brw::LibraryFolderText(L"C:\\Notes\\"));
    EXPECT_EQ(L"C:\\Program Files\\Brimlow Search", brw::LibraryFolderText(L"C:\\Program Files\\Brimlow Search\\"));
    EXPECT_EQ(L"C:", brw::LibraryFolderText(L"C:\\"));
    EXPECT_EQ(L"C:\\Notes", brw::LibraryFolderText(L"C:\\Notes"));
    EXPECT_EQ(L"C:\\Notes\\", brw::LibraryFolderText(L"C:\\Notes\\\\"));
    EXPECT_EQ(L"", brw::LibraryFolderText(L""));
    EXPECT_EQ(L"", brw::LibraryFolderText(L"\\"));
}

TEST(IsSidText, OnlyTheTextOfASidMayBecomePartOfAUrl)
{
    EXPECT_TRUE(brw::IsSidText(L"S-1-5-21-0-0-0-1000"));
    EXPECT_TRUE(brw::IsSidText(L"S-1-5-18"));
    EXPECT_TRUE(brw::IsSidText(L"S-1-0"));
    const wchar_t* const rejected[] = {
        L"",          L"S-1-",      L"S-1-5-",     L"S-1--5",        L"s-1-5-18", L"S-2-5-18", L"S-1-5-18/../x",
        L"S-1-5-18}", L"S-1-5-18 ", L"{S-1-5-18}", L"S-1-5-1\u0668",
    };
    for (const wchar_t* text : rejected) {
        EXPECT_FALSE(brw::IsSidText(text)) << text;
    }
    // 184 characters is the longest a SID's text can be.
    std::wstring longest = L"S-1-281474976710655";
    while (longest.size() + 11 <= 184) {
        longest += L"-4294967295";
    }
    EXPECT_TRUE(brw::IsSidText(longest));
    EXPECT_FALSE(brw::IsSidText(longest + std::wstring(185 - longest.size(), L'1')));
}

TEST(UserCrawlRootUrl, IsTheRootTheConnectorRegisters)
{
    EXPECT_EQ(L"brw://{S-1-5-21-0-0-0-1000}/", brw::UserCrawlRootUrl(L"S-1-5-21-0-0-0-1000"));
}

} // namespace
