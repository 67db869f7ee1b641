#include "connector/ConsoleHostLink.h"

#include "common/Handles.h"
#include "consolehost/CloseEvent.h"

#include <algorithm>
#include <initializer_list>

namespace brw {
namespace {

constexpr wchar_t kConsoleTitle[] = L"BRWHC";

// Standard output that already writes somewhere: our console, or a file or
// pipe whoever started us redirected it to.
bool WritesSomewhere(HANDLE out)
{
    if (out == nullptr || out == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD mode = 0;
    const DWORD type = GetFileType(out);
    return GetConsoleMode(out, &mode) || type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

} // namespace

bool SignalConsoleHostCloseEvent()
{
    KernelHandle closeEvent(CreateOrOpenCloseEvent());
    return closeEvent && SetEvent(closeEvent.get());
}

ConsoleHostLink::ConsoleHostLink(ConsoleHostOptions options) : options_(std::move(options)) {}

ConsoleHostLink::~ConsoleHostLink()
{
    ReleaseStandardHandles();
    FreeConsole();
    SignalConsoleHostCloseEvent();
}

ConsoleSource ConsoleHostLink::Start()
{
    KernelHandle process;
    bool attached = StartHost(process) && AttachToHost(process.get());
    if (!attached) {
        return MakeOwnConsole();
    }
    UseConsoleForStandardOutput();
    return ConsoleSource::HostConsole;
}

ConsoleSource ConsoleHostLink::Restart()
{
    ReleaseStandardHandles();
    FreeConsole();
    return Start();
}

// A GUI process starts without standard handles, and after a restart its
// handle still names the console it left; the debug log writes to the
// standard output handle, so point it at the console we now have.
void ConsoleHostLink::UseConsoleForStandardOutput()
{
    if (WritesSomewhere(GetStdHandle(STD_OUTPUT_HANDLE))) {
        return;
    }
    FileHandle console(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
    if (console && SetStdHandle(STD_OUTPUT_HANDLE, console.get())) {
        output_ = std::move(console);
    }
}

// While attached, the console's standard handles are the link's: the one it
// made for the log and those AllocConsole put there. They name the console
// being left, so they are closed with it, each once (a handle may fill two
// slots); a redirected handle, a file or a pipe, is no console handle and
// stays.
void ConsoleHostLink::ReleaseStandardHandles()
{
    HANDLE closed[3] = {};
    int closedCount = 0;
    for (DWORD slot : {STD_INPUT_HANDLE, STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        HANDLE handle = GetStdHandle(slot);
        DWORD mode = 0;
        const bool ours = handle != nullptr && handle != INVALID_HANDLE_VALUE &&
                          (handle == output_.get() || GetConsoleMode(handle, &mode));
        if (!ours) {
            continue;
        }
        SetStdHandle(slot, nullptr);
        const bool seen = std::find(closed, closed + closedCount, handle) != closed + closedCount;
        if (!seen && handle != output_.get()) {
            CloseHandle(handle);
            closed[closedCount++] = handle;
        }
    }
    output_.reset();
}

bool ConsoleHostLink::StartHost(KernelHandle& process)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    startup.lpTitle = const_cast<wchar_t*>(kConsoleTitle);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = options_.visible ? SW_SHOWNORMAL : SW_HIDE;
    std::wstring commandLine = options_.program;
    PROCESS_INFORMATION started{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr, nullptr,
                        &startup, &started)) {
        hostProcessId_ = 0;
        return false;
    }
    KernelHandle thread(started.hThread);
    process.reset(started.hProcess);
    hostProcessId_ = started.dwProcessId;
    return true;
}

// The host needs a moment to make its console; try once per interval.
bool ConsoleHostLink::AttachToHost(HANDLE process)
{
    for (int attempt = 0; attempt < options_.attachTries; ++attempt) {
        if (WaitForSingleObject(process, options_.attachIntervalMs) == WAIT_OBJECT_0) {
            return false; // the host ended: there is no console to attach to
        }
        if (AttachConsole(hostProcessId_)) {
            SignalConsoleHostCloseEvent();
            return true;
        }
    }
    return false;
}

ConsoleSource ConsoleHostLink::MakeOwnConsole()
{
    if (!AllocConsole()) {
        return ConsoleSource::None;
    }
    HWND window = GetConsoleWindow();
    if (window != nullptr) {
        ShowWindow(window, SW_HIDE);
    }
    UseConsoleForStandardOutput();
    return ConsoleSource::OwnConsole;
}

} // namespace brw
