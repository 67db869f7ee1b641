#include "installer/ConnectorClose.h"

#include "common/Handles.h"

#include <new>
#include <utility>
#include <vector>

namespace brw {
namespace {

// All windows first: a window asked to close may be gone before the search
// moves past it, and a search continued after a destroyed window ends early.
std::vector<HWND> WindowsOfClass(const wchar_t* className)
{
    std::vector<HWND> windows;
    for (HWND window = FindWindowExW(nullptr, nullptr, className, nullptr); window;
         window = FindWindowExW(nullptr, window, className, nullptr)) {
        windows.push_back(window);
    }
    return windows;
}

// The process behind each window is opened before its window is asked to
// close, so that a process ending at once cannot be mistaken for another.
std::vector<KernelHandle> AskToClose(const wchar_t* className, std::size_t* asked)
{
    std::vector<KernelHandle> processes;
    for (const HWND window : WindowsOfClass(className)) {
        DWORD processId = 0;
        GetWindowThreadProcessId(window, &processId);
        KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
        if (PostMessageW(window, WM_CLOSE, 0, 0)) {
            ++*asked;
            if (process) {
                processes.push_back(std::move(process));
            }
        }
    }
    return processes;
}

// One wait per process against one deadline, so the whole wait stays within
// waitMs however many connectors run (WaitForMultipleObjects would also cap
// their number at MAXIMUM_WAIT_OBJECTS).
bool WaitForAll(const std::vector<KernelHandle>& processes, DWORD waitMs)
{
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    for (const KernelHandle& process : processes) {
        const ULONGLONG now = GetTickCount64();
        const DWORD left = now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
        if (WaitForSingleObject(process.get(), left) != WAIT_OBJECT_0) {
            return false;
        }
    }
    return true;
}

} // namespace

CloseResult CloseWindowsOfClass(const wchar_t* className, DWORD waitMs) noexcept
{
    CloseResult result;
    try {
        const std::vector<KernelHandle> processes = AskToClose(className, &result.asked);
        result.allEnded = WaitForAll(processes, waitMs);
    } catch (const std::bad_alloc&) {
        result.allEnded = false;
    }
    return result;
}

} // namespace brw
