// The connector's handshake with BRWHC, run from a console-less process as
// the connector is. Consoles need a display under Wine; ctest provides one.
#include "connector/ConsoleHostLink.h"

#include "consolehost/CloseEvent.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ConsoleText.h"
#include "tests/support/ProcessRun.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr DWORD kTimeoutMs = 20000;

std::wstring ConsoleHostPath()
{
    return brwtest::BinaryIn32BitTree(L"consolehost\\BRWHC.exe");
}

brw::ConsoleHostOptions HostOptions(std::wstring program)
{
    brw::ConsoleHostOptions options;
    options.program = brwtest::Quoted(program);
    return options;
}

// Started by ctest, this program has a pipe for standard output; the
// connector, a GUI program, has none. The C runtime keeps its own copy, so
// the test's report is unaffected.
class ConsoleHostLinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        FreeConsole();
        savedOutput_ = GetStdHandle(STD_OUTPUT_HANDLE);
        SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
    }
    void TearDown() override
    {
        FreeConsole();
        SetStdHandle(STD_OUTPUT_HANDLE, savedOutput_);
    }

private:
    HANDLE savedOutput_ = nullptr;
};

TEST_F(ConsoleHostLinkTest, AttachesToTheHostAndReleasesIt)
{
    brw::ConsoleHostLink link(HostOptions(ConsoleHostPath()));
    ASSERT_EQ(link.Start(), brw::ConsoleSource::HostConsole);
    ASSERT_NE(0u, link.HostProcessId());

    // Signalled on attach, the host ends and leaves its console to us.
    HANDLE host = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, link.HostProcessId());
    if (host != nullptr) {
        EXPECT_EQ(WaitForSingleObject(host, kTimeoutMs), static_cast<DWORD>(WAIT_OBJECT_0));
        DWORD exitCode = STILL_ACTIVE;
        GetExitCodeProcess(host, &exitCode);
        EXPECT_EQ(0u, exitCode);
        CloseHandle(host);
    }
    wchar_t title[64] = {};
    GetConsoleTitleW(title, 64);
    EXPECT_STREQ(L"BRWHC", title);

    // The console is ours now: the log's handle writes to it.
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD written = 0;
    EXPECT_TRUE(WriteConsoleW(out, L"Check login\n", 12, &written, nullptr));
    EXPECT_EQ(12u, written);
    std::wstring shown = brwtest::ConsoleText();
    EXPECT_NE(shown.find(L"Ready for console messages"), std::wstring::npos);
    EXPECT_NE(shown.find(L"Check login"), std::wstring::npos);
}

TEST_F(ConsoleHostLinkTest, MissingHostGivesAHiddenConsoleOfItsOwn)
{
    brw::ConsoleHostLink link(HostOptions(L"Z:\\no\\such\\folder\\BRWHC.EXE"));
    ASSERT_EQ(link.Start(), brw::ConsoleSource::OwnConsole);
    EXPECT_EQ(0u, link.HostProcessId());
    HWND window = GetConsoleWindow();
    if (window != nullptr) {
        EXPECT_FALSE(IsWindowVisible(window));
    }
    DWORD written = 0;
    EXPECT_TRUE(WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), L"x\n", 2, &written, nullptr));
}

TEST_F(ConsoleHostLinkTest, HostThatEndsAtOnceFallsBackWithoutWaitingAllTries)
{
    // A squatter on the event's name makes the host end without a wait, so
    // there is never anything to attach to.
    HANDLE squatter = CreateMutexW(nullptr, FALSE, brw::kConsoleHostCloseEventName);
    ASSERT_NE(nullptr, squatter);
    brw::ConsoleHostOptions options = HostOptions(ConsoleHostPath());
    options.attachIntervalMs = kTimeoutMs;
    DWORD started = GetTickCount();
    brw::ConsoleSource source;
    {
        brw::ConsoleHostLink link(options);
        source = link.Start();
    }
    DWORD spent = GetTickCount() - started;
    CloseHandle(squatter);
    EXPECT_EQ(source, brw::ConsoleSource::OwnConsole);
    EXPECT_LT(spent, kTimeoutMs);
}

TEST_F(ConsoleHostLinkTest, ExitReleasesAHostThatStillWaits)
{
    HANDLE closeEvent = brw::CreateOrOpenCloseEvent();
    ASSERT_NE(nullptr, closeEvent);
    brwtest::RunningProcess waitingHost({brwtest::Quoted(ConsoleHostPath())});
    ASSERT_TRUE(waitingHost.WaitForOutput("Waiting for close event", kTimeoutMs));
    {
        brw::ConsoleHostLink link(HostOptions(L"Z:\\no\\such\\folder\\BRWHC.EXE"));
        link.Start();
    }
    brwtest::ProcessResult result = waitingHost.Wait(kTimeoutMs);
    CloseHandle(closeEvent);
    ASSERT_FALSE(result.timedOut);
    EXPECT_NE(result.output.find("Ready for console messages"), std::string::npos) << result.output;
}

// Open handles of this process. Wine reports a handle count of 0 where
// Windows counts every open handle, so there the handle values a process
// is given (small multiples of 4) are tried one by one instead.
DWORD OpenHandleCount()
{
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count != 0) {
        return count;
    }
    constexpr ULONG_PTR kHighestTried = 0x10000;
    for (ULONG_PTR value = 4; value <= kHighestTried; value += 4) {
        DWORD flags = 0;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) {
            ++count;
        }
    }
    return count;
}

// Each restart makes a new console output handle for the log; the one made
// for the console left behind must go with it.
TEST_F(ConsoleHostLinkTest, RestartsLeaveNoHandleBehind)
{
    brw::ConsoleHostOptions options = HostOptions(ConsoleHostPath());
    options.attachIntervalMs = 100;
    options.attachTries = kTimeoutMs / options.attachIntervalMs;
    // Standard output that writes nowhere, as a GUI program may inherit:
    // the link makes a console output handle of its own for every console.
    brw::KernelHandle nowhere(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    SetStdHandle(STD_OUTPUT_HANDLE, nowhere.get());
    brw::ConsoleHostLink link(options);
    ASSERT_EQ(link.Start(), brw::ConsoleSource::HostConsole);
    const DWORD settled = OpenHandleCount();
    for (int restart = 0; restart < 3; ++restart) {
        ASSERT_EQ(link.Restart(), brw::ConsoleSource::HostConsole);
        EXPECT_EQ(OpenHandleCount(), settled) << "after restart " << restart + 1;
    }
    DWORD written = 0;
    EXPECT_TRUE(WriteConsoleW(GetStdHandle(STD_OUTPUT_HANDLE), L"x\n", 2, &written, nullptr));
}

} // namespace
