// The admissions a pipe end remembers: asked once per admitted process,
// every time for a refused one or one it cannot hold, the oldest forgotten
// when the list is full.
#include "common/AdmittedProcesses.h"

#include "common/Handles.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

int g_checks = 0;
bool g_verdict = true;

bool CountedCheck(DWORD)
{
    ++g_checks;
    return g_verdict;
}

// A process of ours that stays until the test ends it: this program,
// created suspended so that it runs nothing.
class IdleProcess {
public:
    IdleProcess()
    {
        wchar_t path[MAX_PATH];
        const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION started = {};
        if (length > 0 && length < MAX_PATH &&
            CreateProcessW(path, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup,
                           &started)) {
            process_.reset(started.hProcess);
            thread_.reset(started.hThread);
            id_ = started.dwProcessId;
        }
    }
    ~IdleProcess()
    {
        if (process_) {
            TerminateProcess(process_.get(), 0);
            WaitForSingleObject(process_.get(), INFINITE);
        }
    }
    IdleProcess(const IdleProcess&) = delete;
    IdleProcess& operator=(const IdleProcess&) = delete;
    DWORD Id() const { return id_; }

private:
    brw::KernelHandle process_;
    brw::KernelHandle thread_;
    DWORD id_ = 0;
};

class AdmittedProcesses : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_checks = 0;
        g_verdict = true;
    }
    brw::AdmittedProcesses admitted_{&CountedCheck};
};

TEST_F(AdmittedProcesses, AnAdmittedProcessIsCheckedOnce)
{
    for (int connection = 0; connection < 3; ++connection) {
        EXPECT_TRUE(admitted_.Admits(GetCurrentProcessId())) << "connection " << connection;
    }
    EXPECT_EQ(1, g_checks);
}

TEST_F(AdmittedProcesses, ARefusedProcessIsCheckedEveryTime)
{
    g_verdict = false;
    EXPECT_FALSE(admitted_.Admits(GetCurrentProcessId()));
    EXPECT_FALSE(admitted_.Admits(GetCurrentProcessId()));
    EXPECT_EQ(2, g_checks);
    g_verdict = true;
    EXPECT_TRUE(admitted_.Admits(GetCurrentProcessId())) << "a later verdict counts";
}

TEST_F(AdmittedProcesses, AProcessThatCannotBeHeldIsCheckedEveryTime)
{
    // No process has this id, so none can be held to keep the id its own.
    EXPECT_TRUE(admitted_.Admits(0xFFFFFFF0));
    EXPECT_TRUE(admitted_.Admits(0xFFFFFFF0));
    EXPECT_EQ(2, g_checks);
}

TEST_F(AdmittedProcesses, TheOldestIsForgottenWhenTheListIsFull)
{
    std::vector<std::unique_ptr<IdleProcess>> clients;
    for (size_t i = 0; i <= brw::AdmittedProcesses::kCapacity; ++i) {
        clients.push_back(std::make_unique<IdleProcess>());
        ASSERT_NE(0u, clients.back()->Id()) << "client " << i;
    }
    for (size_t i = 0; i < brw::AdmittedProcesses::kCapacity; ++i) {
        EXPECT_TRUE(admitted_.Admits(clients[i]->Id()));
    }
    EXPECT_TRUE(admitted_.Admits(clients.back()->Id()));
    EXPECT_EQ(static_cast<int>(brw::AdmittedProcesses::kCapacity + 1), g_checks);
    EXPECT_TRUE(admitted_.Admits(clients[1]->Id())) << "still known";
    EXPECT_EQ(static_cast<int>(brw::AdmittedProcesses::kCapacity + 1), g_checks);
    EXPECT_TRUE(admitted_.Admits(clients[0]->Id())) << "forgotten, so checked again";
    EXPECT_EQ(static_cast<int>(brw::AdmittedProcesses::kCapacity + 2), g_checks);
}

} // namespace
