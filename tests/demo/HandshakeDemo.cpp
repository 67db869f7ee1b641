// Shows the console host handshake as the connector performs it: BRWHC is
// started in a console of its own, this program attaches to that console
// and releases BRWHC, then reports what the console shows.
#include "connector/ConsoleHostLink.h"
#include "tests/support/ConsoleText.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const char* Describe(brw::ConsoleSource source)
{
    switch (source) {
    case brw::ConsoleSource::HostConsole:
        return "attached to the console host's console";
    case brw::ConsoleSource::OwnConsole:
        return "fell back to a hidden console of its own";
    default:
        return "has no console at all";
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // The connector is a GUI program: no console, no standard output handle.
    FreeConsole();
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);

    brw::ConsoleHostOptions options;
    if (argc > 1) {
        options.program = std::wstring(L"\"") + argv[1] + L"\"";
    }
    options.visible = true;
    brw::ConsoleHostLink link(options);
    brw::ConsoleSource source = link.Start();
    std::printf("console host handshake: the connector side %s", Describe(source));
    if (source == brw::ConsoleSource::HostConsole) {
        wchar_t title[64] = {};
        GetConsoleTitleW(title, 64);
        std::printf(" (BRWHC process %lu, console titled \"%ls\")\n", link.HostProcessId(), title);
        HANDLE host = OpenProcess(SYNCHRONIZE, FALSE, link.HostProcessId());
        if (host != nullptr) {
            WaitForSingleObject(host, 10000);
            CloseHandle(host);
        }
        std::printf("BRWHC has ended; its console stays with the connector and shows:\n%ls",
                    brwtest::ConsoleText().c_str());
    } else {
        std::printf("\n");
    }
    std::fflush(stdout);
    return source == brw::ConsoleSource::HostConsole ? 0 : 1;
}
