#include "connector/ConsoleHostLink.h"

#include "common/Handles.h"
#include "consolehost/CloseEvent.h"

namespace brw {
namespace {

constexpr wchar_t kConsoleTitle[] = L"BRWHC";

// A GUI process starts without standard handles, and after a restart its
// handle still names the console it left; the debug log writes to the
// standard output handle, so point it at the console we now have. The handle
// belongs to the process's standard handle table from then on.
void UseConsoleForStandardOutput()
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE) {
        DWORD type = GetFileType(out);
        if (GetConsoleMode(out, &mode) || type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
            return;  // our console, or redirected by whoever started us
        }
    }
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
        SetStdHandle(STD_OUTPUT_HANDLE, console);
    }
}

}  // namespace

bool SignalConsoleHostCloseEvent()
{
    KernelHandle closeEvent(CreateOrOpenCloseEvent());
    return closeEvent && SetEvent(closeEvent.get());
}

ConsoleHostLink::ConsoleHostLink(ConsoleHostOptions options) : options_(std::move(options)) {}

ConsoleHostLink::~ConsoleHostLink()
{
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
    FreeConsole();
    return Start();
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
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        nullptr, &startup, &started)) {
        hostProcessId_ = 0;
        return false;
    }
    CloseHandle(started.hThread);
    process.reset(started.hProcess);
    hostProcessId_ = started.dwProcessId;
    return true;
}

// The host needs a moment to make its console; try once per interval.
bool ConsoleHostLink::AttachToHost(HANDLE process)
{
    for (int attempt = 0; attempt < options_.attachTries; ++attempt) {
        if (WaitForSingleObject(process, options_.attachIntervalMs) == WAIT_OBJECT_0) {
            return false;  // the host ended: there is no console to attach to
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

}  // namespace brw
