// How the running connector behaves over time: the time from start to the
// first pipe answer; its handles, memory and processor time over 10,000 pipe
// requests, over 20 crawl passes asked for through the window's "Update
// Index Now", and over an idle spell after each. Figures only; nothing is
// judged here.
//
//   wine build/win32/connector/connector_benchmark.exe [requests] [idle seconds] [crawl passes] [memos]
#include "common/DebugConsole.h"
#include "common/Handles.h"
#include "common/WideString.h"
#include "connector/ConnectorResources.h"
#include "connector/tests/ConnectorInstall.h"
#include "connector/tests/CrawlPassWatch.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <psapi.h>
#include <winternl.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kServeWaitMs = 60000;
constexpr DWORD kExitWaitMs = 45000;
// A pass over a mail file of a few thousand memos takes seconds; the
// crawl's own period is five minutes.
constexpr DWORD kPassWaitMs = 120000;
constexpr DWORD kToolWaitMs = 600000;
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

// The handles another process holds, counted in the system's handle table:
// GetProcessHandleCount answers 0 for another process under Wine, while the
// table lists every handle with its owner. 0 when the table cannot be read.
DWORD HandlesOf(DWORD processId)
{
    // The table's size is not known beforehand: a buffer too small is
    // refused, and a larger one tried, up to a bound.
    constexpr size_t kFirstTableBytes = 1u << 20;
    constexpr size_t kLastTableBytes = 64u << 20;
    std::vector<BYTE> table;
    NTSTATUS status = -1;
    for (size_t bytes = kFirstTableBytes; status != 0 && bytes <= kLastTableBytes; bytes *= 2) {
        table.assign(bytes, 0);
        ULONG needed = 0;
        status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(SystemHandleInformation), table.data(),
                                          static_cast<ULONG>(table.size()), &needed);
    }
    if (status != 0) {
        return 0;
    }
    const auto* handles = reinterpret_cast<const SYSTEM_HANDLE_INFORMATION*>(table.data());
    DWORD count = 0;
    for (ULONG i = 0; i < handles->Count; ++i) {
        count += handles->Handle[i].OwnerPid == processId ? 1 : 0;
    }
    return count;
}

struct FindTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(pointer search) noexcept { return search != INVALID_HANDLE_VALUE; }
    static void Close(pointer search) noexcept { FindClose(search); }
};

// Under Wine the connector is a Linux process as well, and GetProcessTimes
// of another process leaves out most of its threads' time (on Windows it
// counts them all). The kernel's account of the process, /proc reached
// through the drive that maps the root, counts every thread; the process is
// found by its command line, which holds the program's Windows path.
class KernelAccount {
public:
    explicit KernelAccount(const std::wstring& programPath) : folder_(FindProcessFolder(programPath)) {}

    bool Found() const { return !folder_.empty(); }

    // User and system time of all threads; negative when not readable.
    double ProcessorMs() const
    {
        const std::string stat = ReadSmallFile(folder_ + L"\\stat");
        const size_t nameEnd = stat.rfind(')');
        if (nameEnd == std::string::npos) {
            return -1;
        }
        // After the name: state, then fields 4 to 13, then utime and stime.
        constexpr int kFieldsBeforeUserTime = 11;
        const char* at = stat.c_str() + nameEnd + 1;
        char* end = nullptr;
        for (int field = 0; field < kFieldsBeforeUserTime; ++field) {
            at = std::strchr(at + 1, ' ');
            if (at == nullptr) {
                return -1;
            }
        }
        const unsigned long long user = std::strtoull(at, &end, 10);
        const unsigned long long system = std::strtoull(end, nullptr, 10);
        return static_cast<double>(user + system) * kMsPerClockTick;
    }

private:
    // The kernel's clock tick for process times (USER_HZ), 100 per second
    // on every Linux that Wine runs on.
    static constexpr double kMsPerClockTick = 10.0;
    static constexpr DWORD kSmallFileLimit = 4096;

    static std::string ReadSmallFile(const std::wstring& path)
    {
        const brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
        std::string text(kSmallFileLimit, '\0');
        DWORD read = 0;
        if (!file || !ReadFile(file.get(), text.data(), kSmallFileLimit, &read, nullptr)) {
            return {};
        }
        text.resize(read);
        return text;
    }

    static std::wstring FindProcessFolder(const std::wstring& programPath)
    {
        const std::string wanted = brw::WideToUtf8(programPath);
        WIN32_FIND_DATAW found{};
        const brw::UniqueResource<FindTraits> search(FindFirstFileW(L"Z:\\proc\\*", &found));
        if (!search) {
            return {};
        }
        std::wstring match;
        do {
            const std::wstring folder = std::wstring(L"Z:\\proc\\") + found.cFileName;
            if (iswdigit(found.cFileName[0]) &&
                ReadSmallFile(folder + L"\\cmdline").find(wanted) != std::string::npos) {
                match = folder;
            }
        } while (match.empty() && FindNextFileW(search.get(), &found));
        return match;
    }

    std::wstring folder_;
};

// The running connector and the kernel's account of it.
struct Watched {
    std::unique_ptr<brwtest::RunningProcess> process;
    KernelAccount account;
};

Sample Measure(const Watched& connector)
{
    const HANDLE process = connector.process->ProcessHandle();
    Sample sample;
    sample.handles = HandlesOf(connector.process->ProcessId());
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    if (GetProcessMemoryInfo(process, &memory, sizeof(memory))) {
        sample.privateBytes = memory.PagefileUsage;
        sample.workingSet = memory.WorkingSetSize;
    }
    FILETIME created{}, ended{}, kernel{}, user{};
    if (connector.account.Found()) {
        sample.cpuMs = connector.account.ProcessorMs();
    } else if (GetProcessTimes(process, &created, &ended, &kernel, &user)) {
        sample.cpuMs = Milliseconds(kernel) + Milliseconds(user);
    }
    return sample;
}

void Print(const char* when, const Sample& sample)
{
    std::printf("%-28s handles %5lu  private %7lu KiB  working set %7lu KiB  cpu %9.1f ms\n", when, sample.handles,
                static_cast<unsigned long>(sample.privateBytes / 1024),
                static_cast<unsigned long>(sample.workingSet / 1024), sample.cpuMs);
    std::fflush(stdout);
}

// Measured at every fifth of the run.
bool IsCheckpoint(int done, int total)
{
    const int step = total / 5 > 0 ? total / 5 : 1;
    return done % step == 0;
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

HWND MainWindowOf(const brwtest::RunningProcess& connector)
{
    std::pair<DWORD, HWND> search{connector.ProcessId(), nullptr};
    EnumWindows(&FindMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.second;
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

// Started and serving; nothing (and the reason on stderr) otherwise.
std::optional<Watched> StartServing(const std::wstring& program)
{
    const ULONGLONG started = GetTickCount64();
    std::unique_ptr<brwtest::RunningProcess> connector = brwtest::StartConnector(program);
    if (!connector->Started()) {
        std::fprintf(stderr, "the connector did not start: error %lu\n", connector->StartError());
        return std::nullopt;
    }
    if (!brwtest::AskOnceServing(*connector, kListRequest, kServeWaitMs)) {
        const brwtest::ProcessResult ended = connector->Wait(0);
        std::fprintf(stderr, "the connector did not serve (%s, exit code %lu)\n",
                     ended.timedOut ? "still running" : "ended", ended.exitCode);
        return std::nullopt; // a running one is ended with its holder: a second run would meet it
    }
    std::printf("start to the first pipe answer: %llu ms\n", GetTickCount64() - started);
    Watched watched{std::move(connector), KernelAccount(program + L"\\BRWConnector.exe")};
    std::printf("processor time from %s\n",
                watched.account.Found() ? "the kernel's account (/proc)" : "GetProcessTimes");
    Print("after the first answer", Measure(watched));
    return watched;
}

int AskRepeatedly(const Watched& connector, int requests)
{
    const ULONGLONG asking = GetTickCount64();
    int answered = 0;
    for (int i = 1; i <= requests; ++i) {
        answered += brwtest::AskConnectorPipe(kListRequest).has_value() ? 1 : 0;
        if (IsCheckpoint(i, requests)) {
            char label[64];
            std::snprintf(label, sizeof(label), "after %d requests", i);
            Print(label, Measure(connector));
        }
    }
    std::printf("%d of %d requests answered, %.2f ms each\n", answered, requests,
                static_cast<double>(GetTickCount64() - asking) / (requests > 0 ? requests : 1));
    return answered;
}

// Each pass is asked for as the user asks, and its end seen by the time it
// records for the mail file; the recorded time is emptied first, so that
// every pass takes all the file's documents and records one.
int CrawlRepeatedly(const Watched& connector, const std::wstring& mailFile, int passes)
{
    const HANDLE process = connector.process->ProcessHandle();
    const HWND window = MainWindowOf(*connector.process);
    if (window == nullptr || !brwtest::WaitForRecordedTime(mailFile, process, kPassWaitMs)) { // the pass at start
        std::fprintf(stderr, "no window or no pass at start\n");
        return 0;
    }
    Print("after the pass at start", Measure(connector));
    const ULONGLONG crawling = GetTickCount64();
    int ended = 0;
    for (int i = 1; i <= passes; ++i) {
        if (!brwtest::ListWithoutRecordedTime(mailFile)) {
            break;
        }
        PostMessageW(window, WM_COMMAND, IDM_UPDATE_INDEX_NOW, 0);
        if (!brwtest::WaitForRecordedTime(mailFile, process, kPassWaitMs)) {
            break;
        }
        ++ended;
        if (IsCheckpoint(i, passes)) {
            char label[64];
            std::snprintf(label, sizeof(label), "after %d crawl passes", i);
            Print(label, Measure(connector));
        }
    }
    std::printf("%d of %d crawl passes ended, %.0f ms each\n", ended, passes,
                static_cast<double>(GetTickCount64() - crawling) / (passes > 0 ? passes : 1));
    return ended;
}

void MeasureIdle(const Watched& connector, DWORD idleMs, const char* label)
{
    const Sample before = Measure(connector);
    WaitForSingleObject(connector.process->ProcessHandle(), idleMs); // the idle spell being measured
    const Sample after = Measure(connector);
    Print(label, after);
    std::printf("processor time while idle for %lu ms: %.1f ms\n", idleMs, after.cpuMs - before.cpuMs);
}

DWORD Close(brwtest::RunningProcess& connector)
{
    const ULONGLONG closing = GetTickCount64();
    PostMessageW(MainWindowOf(connector), WM_CLOSE, 0, 0);
    const brwtest::ProcessResult result = connector.Wait(kExitWaitMs);
    std::printf("exit code %lu after %llu ms\n", result.exitCode, GetTickCount64() - closing);
    return result.exitCode;
}

struct Load {
    int requests;
    DWORD idleMs;
    int passes;
    int memos;
};

// The installed mail file made again with the number of memos each crawl
// pass is to take.
bool FillMailFile(const std::wstring& mailFile, int memos)
{
    brwtest::ProcessSpec launch;
    launch.commandLine = brwtest::Quoted(brwtest::BinaryIn32BitTree(L"platform\\notes\\notesdb.exe")) +
                         L" generate mail " + brwtest::Quoted(mailFile) + L" --count " + std::to_wstring(memos);
    brwtest::RunningProcess tool(launch);
    const brwtest::ProcessResult result = tool.Wait(kToolWaitMs);
    if (result.exitCode != 0) {
        std::fprintf(stderr, "cannot fill the mail file: %s\n", result.output.c_str());
    }
    return result.exitCode == 0;
}

int Run(const Load& load)
{
    if (!CanShowWindows()) {
        std::fprintf(stderr, "no window can be made here: the connector needs a desktop "
                             "(under Wine, a prefix made by scripts/wineprefix.sh fresh)\n");
        return 1;
    }
    brwtest::ScratchFolder root(L"brwconnbench");
    const std::wstring program = root.Sub(L"notes");
    const std::wstring mailFile = program + L"\\data\\mail\\jdoe.nsf";
    const std::string failed = brwtest::InstallConnector(program, L"");
    if (!failed.empty() || !brwtest::RegisterNotesFolder(program) || !brwtest::ListWithoutRecordedTime(mailFile)) {
        std::fprintf(stderr, "cannot install: %s\n", failed.c_str());
        return 1;
    }
    if (!FillMailFile(mailFile, load.memos)) {
        return 1;
    }
    SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, root.Sub(L"search").c_str());
    brwtest::ServerRegistration standIn(brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll"));

    int outcome = 1;
    if (const std::optional<Watched> connector = StartServing(program)) {
        const int answered = AskRepeatedly(*connector, load.requests);
        MeasureIdle(*connector, load.idleMs, "after the idle spell");
        const int passes = CrawlRepeatedly(*connector, mailFile, load.passes);
        MeasureIdle(*connector, load.idleMs, "idle after the passes");
        const DWORD exitCode = Close(*connector->process);
        outcome = exitCode == 0 && answered == load.requests && passes == load.passes ? 0 : 1;
    }
    brwtest::DeleteTree(HKEY_LOCAL_MACHINE, brwtest::kConnectorNotesKey, brwtest::RegistryView::View32);
    brwtest::DeleteTree(HKEY_CURRENT_USER, brw::kSettingsKeyPath);
    return outcome;
}

int Argument(int argc, char** argv, int index, int fallback)
{
    const int value = argc > index ? std::atoi(argv[index]) : fallback;
    return value > 0 ? value : fallback;
}

} // namespace

int main(int argc, char** argv)
{
    const Load load{Argument(argc, argv, 1, 10000), static_cast<DWORD>(Argument(argc, argv, 2, 10)) * 1000,
                    Argument(argc, argv, 3, 20), Argument(argc, argv, 4, 1000)};
    return Run(load);
}
