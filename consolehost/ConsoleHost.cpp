// BRWHC: keeps a console alive until the connector has attached to it, then
// ends; the console stays because the connector holds it. Its shutdown level
// is lowered so that Windows asks it to end after the connector.
#include "common/Handles.h"
#include "consolehost/CloseEvent.h"

#include <windows.h>

#include <cstdio>

namespace {

// The level Windows gives a process that never set its own.
constexpr DWORD kDefaultShutdownLevel = 633;

// Flushed at once: the lines are for a person watching the console, and a
// host that waits for ever must have said so.
void Say(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
}

} // namespace

int wmain()
{
    brw::KernelHandle closeEvent(brw::CreateOrOpenCloseEvent());
    if (!closeEvent) {
        Say("CloseEvent doesn't exist\n");
        return 0;
    }

    DWORD level = kDefaultShutdownLevel;
    DWORD flags = 0;
    GetProcessShutdownParameters(&level, &flags);
    Say("GetShutdownParameters %ld %ld\n", static_cast<long>(level), static_cast<long>(flags));

    BOOL lowered = SetProcessShutdownParameters(level - 1, SHUTDOWN_NORETRY);
    Say("SetShutdownParameters %d\n", lowered);

    Say("Waiting for close event\n");
    DWORD waited = WaitForSingleObject(closeEvent.get(), INFINITE);
    if (waited == WAIT_OBJECT_0) {
        Say("Ready for console messages\n");
    } else {
        Say("Other condition: %ld\n", static_cast<long>(waited));
    }
    return 0;
}
