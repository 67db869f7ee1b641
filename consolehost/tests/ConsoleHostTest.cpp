// BRWHC as the connector sees it: it waits for the close event, says so in
// order, and ends with 0 however it was woken.
#include "consolehost/CloseEvent.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

constexpr DWORD kTimeoutMs = 20000;

// The C runtime writes "\n" as "\r\n" to a pipe, as it does on Windows.
std::string WithoutCarriageReturns(std::string text)
{
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

std::string OutputOf(brwtest::RunningProcess& host)
{
    brwtest::ProcessResult result = host.Wait(kTimeoutMs);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(0u, result.exitCode);
    return WithoutCarriageReturns(result.output);
}

std::wstring ConsoleHostCommand()
{
    return brwtest::Quoted(brwtest::BinaryIn32BitTree(L"consolehost\\BRWHC.exe"));
}

class CloseEventHolder {
public:
    CloseEventHolder() : event_(brw::CreateOrOpenCloseEvent()) {}
    ~CloseEventHolder()
    {
        if (event_ != nullptr) {
            CloseHandle(event_);
        }
    }
    HANDLE get() const { return event_; }

private:
    HANDLE event_;
};

// Lines BRWHC prints before it waits, up to and including the wait.
void ExpectPreamble(const std::string& output)
{
    size_t get = output.find("GetShutdownParameters ");
    size_t set = output.find("SetShutdownParameters 1\n");
    size_t wait = output.find("Waiting for close event\n");
    ASSERT_NE(get, std::string::npos) << output;
    ASSERT_NE(set, std::string::npos) << output;
    ASSERT_NE(wait, std::string::npos) << output;
    EXPECT_EQ(0u, get) << output;
    EXPECT_LT(get, set);
    EXPECT_LT(set, wait);
}

TEST(ConsoleHost, WaitsUntilSignalledThenSaysReady)
{
    CloseEventHolder closeEvent;
    ASSERT_NE(nullptr, closeEvent.get());
    brwtest::RunningProcess host({ConsoleHostCommand()});
    ASSERT_TRUE(host.Started()) << host.StartError();

    ASSERT_TRUE(host.WaitForOutput("Waiting for close event", kTimeoutMs));
    EXPECT_EQ(WaitForSingleObject(host.ProcessHandle(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "BRWHC ended before it was signalled";

    ASSERT_TRUE(SetEvent(closeEvent.get()));
    std::string output = OutputOf(host);
    ExpectPreamble(output);
    EXPECT_NE(output.find("Waiting for close event\nReady for console messages\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("Other condition"), std::string::npos);
}

TEST(ConsoleHost, ReportsTheShutdownLevelItStartedWith)
{
    CloseEventHolder closeEvent;
    brwtest::RunningProcess host({ConsoleHostCommand()});
    ASSERT_TRUE(host.WaitForOutput("Waiting for close event", kTimeoutMs));
    SetEvent(closeEvent.get());
    std::string output = OutputOf(host);

    long level = -1;
    long flags = -1;
    ASSERT_EQ(2, sscanf(output.c_str(), "GetShutdownParameters %ld %ld", &level, &flags)) << output;
    // A process that never set its own level runs at the default one.
    EXPECT_EQ(0x280, level);
    EXPECT_EQ(0, flags);
}

TEST(ConsoleHost, TwoSignalsInARowAreHarmless)
{
    CloseEventHolder closeEvent;
    brwtest::RunningProcess host({ConsoleHostCommand()});
    ASSERT_TRUE(host.WaitForOutput("Waiting for close event", kTimeoutMs));
    ASSERT_TRUE(SetEvent(closeEvent.get()));
    ASSERT_TRUE(SetEvent(closeEvent.get()));
    std::string output = OutputOf(host);
    const std::string ready = "Ready for console messages\n";
    size_t first = output.find(ready);
    ASSERT_NE(first, std::string::npos) << output;
    EXPECT_EQ(output.find(ready, first + 1), std::string::npos) << output;
}

TEST(ConsoleHost, SignalBeforeItWaitsIsNotLost)
{
    // The connector may attach and signal before BRWHC reaches its wait.
    CloseEventHolder closeEvent;
    ASSERT_TRUE(SetEvent(closeEvent.get()));
    brwtest::RunningProcess host({ConsoleHostCommand()});
    std::string output = OutputOf(host);
    ExpectPreamble(output);
    EXPECT_NE(output.find("Ready for console messages\n"), std::string::npos) << output;
}

TEST(ConsoleHost, NameHeldByAnotherObjectTypeEndsAtOnce)
{
    HANDLE squatter = CreateMutexW(nullptr, FALSE, brw::kConsoleHostCloseEventName);
    ASSERT_NE(nullptr, squatter);
    brwtest::RunningProcess host({ConsoleHostCommand()});
    std::string output = OutputOf(host);
    CloseHandle(squatter);
    EXPECT_EQ("CloseEvent doesn't exist\n", output);
}

} // namespace
