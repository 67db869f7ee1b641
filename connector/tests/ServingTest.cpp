// Serving's stop: the real pipe server on a pipe of the test's own and a
// crawl thread the test controls. A stop ends both at once whatever the
// clients do; a thread that does not end in time makes the stop overdue
// (the program then leaves Notes alone), and the program still ends cleanly.
#include "connector/Serving.h"

#include "common/Handles.h"
#include "common/WideString.h"
#include "connector/PipeServer.h"
#include "notesdata/tests/NotesSandbox.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr DWORD kWaitMs = 30000;
// Long enough for a thread that is about to end, far below the program's.
constexpr DWORD kShortStopMs = 300;
constexpr DWORD kRetryMs = 20;

std::wstring UniquePipeName()
{
    static std::atomic<unsigned> counter{0};
    return brw::FormatText(L"\\\\.\\pipe\\BrwServingTest.%lu.%u", GetCurrentProcessId(), ++counter);
}

// The crawl thread's stand-in: it ends when the crawl is asked to stop, or,
// as a crawl stuck inside Notes would, only when the test releases it.
brw::KernelHandle g_crawlMayEnd;
std::atomic<bool> g_crawlIgnoresStop{false};

DWORD WINAPI HeldCrawl(void* parameter) noexcept
{
    std::unique_ptr<std::wstring> request(static_cast<std::wstring*>(parameter));
    WaitForSingleObject(g_crawlMayEnd.get(), INFINITE);
    return 0;
}

void StopHeldCrawl() noexcept
{
    if (!g_crawlIgnoresStop) {
        SetEvent(g_crawlMayEnd.get());
    }
}

HRESULT NoRegistration() noexcept
{
    return S_OK;
}

// A client that connects and, when asked to, sends a request; it reads only
// when told to.
class HeldClient {
public:
    explicit HeldClient(const std::wstring& name)
    {
        // Nothing signals that the pipe server thread has made its pipe:
        // asked again at a slow pace until it is there.
        for (ULONGLONG deadline = GetTickCount64() + kWaitMs; !pipe_ && GetTickCount64() < deadline;) {
            pipe_.reset(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            if (!pipe_ && !WaitNamedPipeW(name.c_str(), kWaitMs)) {
                Sleep(kRetryMs); // paces the retry; no outcome depends on its length
            }
        }
        DWORD mode = PIPE_READMODE_MESSAGE;
        if (pipe_ && !SetNamedPipeHandleState(pipe_.get(), &mode, nullptr, nullptr)) {
            pipe_.reset();
        }
    }
    bool Connected() const { return static_cast<bool>(pipe_); }
    bool Send(const std::wstring& element)
    {
        const std::wstring text = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>" + element;
        const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
        DWORD written = 0;
        return WriteFile(pipe_.get(), text.c_str(), bytes, &written, nullptr) && written == bytes;
    }
    std::wstring Receive()
    {
        std::vector<wchar_t> reply(0x10000);
        DWORD read = 0;
        if (!ReadFile(pipe_.get(), reply.data(), static_cast<DWORD>(reply.size() * sizeof(wchar_t)), &read, nullptr)) {
            return {};
        }
        return std::wstring(reply.data(), read / sizeof(wchar_t));
    }

private:
    brw::FileHandle pipe_;
};

class ServingStop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sandbox_.Start());
        g_crawlMayEnd.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        ASSERT_TRUE(g_crawlMayEnd);
        g_crawlIgnoresStop = false;
        brw::ServingParts parts;
        parts.registerCrawlRoot = &NoRegistration;
        parts.pipeName = pipeName_;
        parts.crawl = &HeldCrawl;
        parts.stopCrawl = &StopHeldCrawl;
        serving_ = std::make_unique<brw::Serving>(std::move(parts));
        ASSERT_EQ(brw::ServingStart::Serving, serving_->Start());
    }
    void TearDown() override
    {
        // Whatever a case left running ends here, before the event goes.
        SetEvent(g_crawlMayEnd.get());
        if (serving_ && serving_->IsStarted()) {
            EXPECT_EQ(brw::ServingStop::Ended, serving_->Stop(kWaitMs));
        }
        serving_.reset();
        g_crawlMayEnd.reset();
    }

    brwtest::NotesSandbox sandbox_;
    std::wstring pipeName_ = UniquePipeName();
    std::unique_ptr<brw::Serving> serving_;
};

TEST_F(ServingStop, EndsEveryThreadAtOnceWhileClientsHoldConnections)
{
    std::vector<std::unique_ptr<HeldClient>> held;
    for (unsigned i = 0; i < brw::kServingThreads; ++i) {
        held.push_back(std::make_unique<HeldClient>(pipeName_));
        ASSERT_TRUE(held.back()->Connected()) << "client " << i;
    }
    EXPECT_EQ(brw::ServingStop::Ended, serving_->Stop(kWaitMs));
    EXPECT_FALSE(serving_->IsStarted());
    EXPECT_FALSE(brw::IsPipeServerRunning());
}

TEST_F(ServingStop, ACrawlThatDoesNotEndInTimeMakesTheStopOverdue)
{
    g_crawlIgnoresStop = true;
    EXPECT_EQ(brw::ServingStop::Overdue, serving_->Stop(kShortStopMs));
    EXPECT_TRUE(serving_->IsStarted()) << "the threads are left as they are";
    EXPECT_FALSE(brw::IsPipeServerRunning()) << "the pipe server ended in time all the same";
}

TEST_F(ServingStop, AClientThatNeverReadsItsReplyHoldsItsThreadAndTheStopIsOverdue)
{
    HeldClient silent(pipeName_);
    ASSERT_TRUE(silent.Connected());
    // The reply is small enough to be written at once, and a thread waits
    // until its client has read the reply before it looks at the stop.
    ASSERT_TRUE(silent.Send(L"<get_database_list/>"));
    EXPECT_EQ(brw::ServingStop::Overdue, serving_->Stop(kShortStopMs));
    EXPECT_TRUE(brw::IsPipeServerRunning());
    EXPECT_EQ(0u, silent.Receive().find(L"<databases>")) << "the reply was kept for the client";
    EXPECT_EQ(brw::ServingStop::Ended, serving_->Stop(kWaitMs)) << "a second stop finds everything ended";
}

// The program's last steps after an overdue stop, in a process of its own:
// it returns from main while a serving thread still waits for its client.
TEST(ServingOverrun, TheProgramStillEndsCleanly)
{
    brwtest::NotesSandbox sandbox;
    ASSERT_TRUE(sandbox.Start());
    brwtest::ProcessSpec launch;
    launch.commandLine = brwtest::Quoted(brwtest::ThisProgramFolder() + L"serving_overrun_host.exe") + L" " +
                         brwtest::Quoted(sandbox.RootPath(L"notes.ini")) + L" " + UniquePipeName();
    brwtest::RunningProcess host(launch);
    ASSERT_TRUE(host.Started());
    const brwtest::ProcessResult ended = host.Wait(kWaitMs);
    EXPECT_FALSE(ended.timedOut);
    EXPECT_EQ(0u, ended.exitCode) << "1: the stop was not overdue; 2: serving did not start\n" << ended.output;
}

} // namespace
