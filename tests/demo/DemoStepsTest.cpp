// The demo's own judgement: what it takes from the query program's answer,
// which processes it takes for the ones an action started, and what it reads
// of the programs' debug output.
#include "tests/demo/DebugOutputWatch.h"
#include "tests/demo/ProcessSnapshot.h"
#include "tests/demo/SearchWait.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <string>
#include <vector>

namespace {

TEST(ResultCountOf, ReadsTheCountAndRefusesAnythingElse)
{
    EXPECT_EQ(1, brwdemo::ResultCountOf("{\"count\":1,\"results\":[{\"name\":\"x\"}]}"));
    EXPECT_EQ(0, brwdemo::ResultCountOf("{\"count\":0,\"results\":[]}"));
    EXPECT_EQ(12345, brwdemo::ResultCountOf("noise\r\n{\"count\":12345,\"results\":[]}"));
    // A failed query prints no JSON; a cut or damaged answer is no count.
    EXPECT_EQ(-1, brwdemo::ResultCountOf(""));
    EXPECT_EQ(-1, brwdemo::ResultCountOf("bad count 1000000\nusage: ..."));
    EXPECT_EQ(-1, brwdemo::ResultCountOf("{\"count\":"));
    EXPECT_EQ(-1, brwdemo::ResultCountOf("{\"count\":7"));
    EXPECT_EQ(-1, brwdemo::ResultCountOf("{\"count\":-3,\"results\":[]}"));
    EXPECT_EQ(-1, brwdemo::ResultCountOf("{\"count\":x,\"results\":[]}"));
}

bool Lists(const std::vector<brwdemo::ProcessEntry>& processes, DWORD id)
{
    return std::any_of(processes.begin(), processes.end(),
                       [id](const brwdemo::ProcessEntry& process) { return process.id == id; });
}

std::wstring ThisImage()
{
    for (const brwdemo::ProcessEntry& process : brwdemo::RunningProcesses()) {
        if (process.id == GetCurrentProcessId()) {
            return process.image;
        }
    }
    return std::wstring();
}

TEST(StartedSince, OnlyProcessesNewSinceTheSnapshotAndNotIgnored)
{
    const DWORD self = GetCurrentProcessId();
    const std::wstring image = ThisImage();
    ASSERT_FALSE(image.empty()) << "this process is listed with its program's name";

    EXPECT_TRUE(Lists(brwdemo::StartedSince({}, {}), self)) << "new against an empty snapshot";
    EXPECT_FALSE(Lists(brwdemo::StartedSince(brwdemo::IdsOf(brwdemo::RunningProcesses()), {}), self))
        << "running at the snapshot";

    std::wstring shouted = image;
    std::transform(shouted.begin(), shouted.end(), shouted.begin(), [](wchar_t c) { return towupper(c); });
    EXPECT_FALSE(Lists(brwdemo::StartedSince({}, {L"other.exe", shouted}), self))
        << "ignored by name, whatever the case";
}

TEST(OpenRunning, OpensARunningProgramByNameAndNothingForNone)
{
    const std::wstring image = ThisImage();
    ASSERT_FALSE(image.empty());
    DWORD id = 0;
    const brw::KernelHandle found = brwdemo::OpenRunning(image.c_str(), &id);
    ASSERT_TRUE(found) << "this program runs";
    EXPECT_NE(0u, id);
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(found.get(), 0)) << "a running process, opened to be waited for";

    id = 0;
    EXPECT_FALSE(brwdemo::OpenRunning(L"no-such-program.exe", &id));
    EXPECT_EQ(0u, id);
}

TEST(DebugOutputWatch, TakesEachLineWrittenWhileItWatchesWithTheWritersId)
{
    brwdemo::DebugOutputWatch watch;
    ASSERT_TRUE(watch.IsWatching()) << "the debug-output buffer was free";
    // The only reader: a second watch cannot have the buffer.
    EXPECT_FALSE(brwdemo::DebugOutputWatch().IsWatching());

    OutputDebugStringW(L"Open result: attachment services failed 0x80040154\n");
    OutputDebugStringA("second\n");
    const std::vector<brwdemo::DebugLine> lines = watch.Finish();
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("Open result: attachment services failed 0x80040154\n", lines[0].text);
    EXPECT_EQ(GetCurrentProcessId(), lines[0].processId);
    EXPECT_EQ("second\n", lines[1].text);
    // Finishing twice keeps what was seen.
    EXPECT_EQ(2u, watch.Finish().size());
}

TEST(DebugOutputWatch, AnotherWatchCanFollowOnceOneHasEnded)
{
    {
        brwdemo::DebugOutputWatch first;
        ASSERT_TRUE(first.IsWatching());
    }
    brwdemo::DebugOutputWatch second;
    EXPECT_TRUE(second.IsWatching()) << "the first watch let the buffer go";
}

} // namespace
