// How the running connector behaves over time: the time from start to the
// first pipe answer, and its handles, memory and processor time over 10,000
// pipe requests and an idle spell. Figures only; nothing is judged here.
//
//   wine build/win32/connector/connector_benchmark.exe [requests] [idle seconds]
#include "common/DebugConsole.h"
#include "common/Handles.h"
#include "connector/tests/ConnectorInstall.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr DWORD kServeWaitMs = 60000;
constexpr DWORD kExitWaitMs = 45000;
constexpr wchar_t kListRequest[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_database_list sid=\"x\" tempdir=\"C:\\\\\" />";

struct Sample {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    SIZE_T workingSet = 0;
    double cpuMs = 0;
};

double Milliseconds(const FILETIME& time)
{
    return static_cast<double>((static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime) / 10000.0;
}

Sample Measure(HANDLE process)
{
    Sample sample;
    GetProcessHandleCount(process, &sample.handles);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(process, &memory, sizeof(memory))) {
        sample.privateBytes = memory.PagefileUsage;
        sample.workingSet = memory.WorkingSetSize;
    }
    FILETIME created{}, ended{}, kernel{}, user{};
    if (GetProcessTimes(process, &created, &ended, &kernel, &user)) {
        sample.cpuMs = Milliseconds(kernel) + Milliseconds(user);
    }
    return sample;
}

void Print(const char* when, const Sample& sample)
{
    std::printf("%-28s handles %5lu  private %7lu KiB  working set %7lu KiB  cpu %9.1f ms\n", when, sample.handles,
                static_cast<unsigned long>(sample.privateBytes / 1024),
                static_cast<unsigned long>(sample.workingSet / 1024), sample.cpuMs);
}

BOOL CALLBACK FindMainWindow(HWND window, LPARAM parameter)
{
    auto* search = reinterpret_cast<std::pair<DWORD, HWND>*>(parameter);
    DWORD owner = 0;
    wchar_t name[32] = {};
    GetWindowThreadProcessId(window, &owner);
    GetClassNameW(window, name, 32);
    if (owner == search->first && lstrcmpW(name, L"BRWCONNECTOR") == 0) {
        search->second = window;
        return FALSE;
    }
    return TRUE;
}

// The connector's window holds its database list as a child window; where
// no window can be shown (a Wine prefix without a display), the connector
// cannot make it and ends at once, and the benchmark would only see a pipe
// that never answers.
struct WindowTraits {
    using pointer = HWND;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer window) noexcept { return window != nullptr; }
    static void Close(pointer window) noexcept { DestroyWindow(window); } // its children go with it
};

bool CanShowWindows()
{
    const brw::UniqueResource<WindowTraits> frame(CreateWindowExW(
        0, L"STATIC", L"", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr));
    return frame && CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, frame.get(), nullptr,
                                    GetModuleHandleW(nullptr), nullptr) != nullptr;
}

int Run(int requests, DWORD idleMs)
{
    if (!CanShowWindows()) {
        std::fprintf(stderr, "no window can be made here: the connector needs a desktop "
                             "(under Wine, a prefix made by scripts/wineprefix.sh fresh)\n");
        return 1;
    }
    brwtest::ScratchFolder root(L"brwconnbench");
    const std::wstring program = root.Sub(L"notes");
    const std::string failed = brwtest::InstallConnector(program, L"");
    if (!failed.empty() || !brwtest::RegisterNotesFolder(program)) {
        std::fprintf(stderr, "cannot install: %s\n", failed.c_str());
        return 1;
    }
    SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, root.Sub(L"search").c_str());
    brwtest::ServerRegistration standIn(brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll"));

    const ULONGLONG started = GetTickCount64();
    std::unique_ptr<brwtest::RunningProcess> connector = brwtest::StartConnector(program);
    if (!connector->Started()) {
        std::fprintf(stderr, "the connector did not start: error %lu\n", connector->StartError());
        return 1;
    }
    if (!brwtest::AskOnceServing(*connector, kListRequest, kServeWaitMs)) {
        const brwtest::ProcessResult ended = connector->Wait(0);
        std::fprintf(stderr, "the connector did not serve (%s, exit code %lu)\n",
                     ended.timedOut ? "still running" : "ended", ended.exitCode);
        if (ended.timedOut) {
            TerminateProcess(connector->ProcessHandle(), 1); // a second run would meet this one
        }
        return 1;
    }
    std::printf("start to the first pipe answer: %llu ms\n", GetTickCount64() - started);
    const HANDLE process = connector->ProcessHandle();
    Print("after the first answer", Measure(process));
    const ULONGLONG asking = GetTickCount64();
    int answered = 0;
    for (int i = 1; i <= requests; ++i) {
        answered += brwtest::AskConnectorPipe(kListRequest).has_value() ? 1 : 0;
        if (i % (requests / 5 > 0 ? requests / 5 : 1) == 0) {
            char label[64];
            std::snprintf(label, sizeof(label), "after %d requests", i);
            Print(label, Measure(process));
        }
    }
    std::printf("%d of %d requests answered, %.2f ms each\n", answered, requests,
                static_cast<double>(GetTickCount64() - asking) / (requests > 0 ? requests : 1));
    const Sample beforeIdle = Measure(process);
    WaitForSingleObject(process, idleMs); // the idle spell being measured
    const Sample afterIdle = Measure(process);
    Print("after the idle spell", afterIdle);
    std::printf("processor time while idle for %lu ms: %.1f ms\n", idleMs, afterIdle.cpuMs - beforeIdle.cpuMs);

    std::pair<DWORD, HWND> search{connector->ProcessId(), nullptr};
    EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
    const ULONGLONG closing = GetTickCount64();
    PostMessageW(search.second, WM_CLOSE, 0, 0);
    const brwtest::ProcessResult result = connector->Wait(kExitWaitMs);
    std::printf("exit code %lu after %llu ms\n", result.exitCode, GetTickCount64() - closing);
    brwtest::DeleteTree(HKEY_LOCAL_MACHINE, brwtest::kConnectorNotesKey, brwtest::RegistryView::View32);
    brwtest::DeleteTree(HKEY_CURRENT_USER, brw::kSettingsKeyPath);
    return result.exitCode == 0 && answered == requests ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    const int requests = argc > 1 ? std::atoi(argv[1]) : 10000;
    const DWORD idleSeconds = argc > 2 ? static_cast<DWORD>(std::atoi(argv[2])) : 10;
    return Run(requests > 0 ? requests : 10000, idleSeconds * 1000);
}
