// Pictures of the connector's window for the README: the database list as
// the tray icon's click shows it, once the crawl has recorded its first
// pass, and the About box. Run by scripts/window-screenshot.sh in a prefix
// it prepared; the connector is started here and ended by its Exit command.
#include "common/ComApartment.h"
#include "connector/ConnectorResources.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/RemoteListView.h"
#include "tests/support/WindowPicture.h"
#include "tests/support/WindowWatch.h"

#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

namespace {

constexpr DWORD kWindowWaitMs = 60000;
constexpr DWORD kCrawlWaitMs = 60000;
constexpr DWORD kLookAgainMs = 200;
constexpr UINT kTrayMessage = WM_APP + 100;
constexpr UINT kTrayIconId = 101;
constexpr int kListId = 100;
constexpr int kLastIndexingColumn = 3;
constexpr RECT kPlace{20, 20, 1040, 340};

// Everything sent before is done when this returns.
void Settle(HWND window)
{
    SendMessageW(window, WM_NULL, 0, 0);
}

// Paints the window and its children now, in its own process.
void PaintNow(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Settle(window);
}

// The crawl records the time of its first pass in the list's fourth column,
// and the window shows it when the pass ends; a demo waits for that.
bool WaitForFirstPass(brwtest::RunningProcess& connector, HWND window)
{
    const brwtest::RemoteListView list(connector.ProcessHandle(), GetDlgItem(window, kListId));
    const ULONGLONG deadline = GetTickCount64() + kCrawlWaitMs;
    while (GetTickCount64() < deadline) {
        if (list.Count() > 0 && !list.Text(0, kLastIndexingColumn).empty()) {
            return true;
        }
        if (WaitForSingleObject(connector.ProcessHandle(), kLookAgainMs) == WAIT_OBJECT_0) {
            return false;
        }
    }
    return false;
}

bool Save(HWND window, brwtest::PictureArea area, const std::wstring& path)
{
    SetForegroundWindow(window);
    PaintNow(window);
    const HRESULT hr = brwtest::SaveWindowPicture(window, area, path);
    std::fprintf(stderr, "%ls: 0x%08lX\n", path.c_str(), static_cast<unsigned long>(hr));
    return SUCCEEDED(hr);
}

bool TakeListPicture(brwtest::RunningProcess& connector, HWND window, const std::wstring& folder)
{
    SendNotifyMessageW(window, kTrayMessage, kTrayIconId, WM_LBUTTONDOWN);
    Settle(window);
    SetWindowPos(window, HWND_TOP, kPlace.left, kPlace.top, kPlace.right - kPlace.left, kPlace.bottom - kPlace.top,
                 SWP_SHOWWINDOW);
    if (!WaitForFirstPass(connector, window)) {
        std::fprintf(stderr, "the crawl recorded no pass\n");
        return false;
    }
    return Save(window, brwtest::PictureArea::MenuAndClient, folder + L"\\connector-window.png");
}

bool TakeAboutPicture(brwtest::RunningProcess& connector, HWND window, const std::wstring& folder)
{
    SendNotifyMessageW(window, WM_COMMAND, IDM_ABOUT, 0);
    const HWND about =
        brwtest::WaitForProcessWindow(connector.ProcessHandle(), connector.ProcessId(),
                                      {L"#32770", L"About Brimlow Search", brwtest::Shown::Visible}, kWindowWaitMs);
    if (about == nullptr) {
        std::fprintf(stderr, "no About box\n");
        return false;
    }
    const bool saved = Save(about, brwtest::PictureArea::Client, folder + L"\\connector-about.png");
    brwtest::PressButton(about, IDOK);
    return saved;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: brw_demo_connector_window PROGRAM_FOLDER PICTURE_FOLDER\n");
        return 2;
    }
    const brw::ComApartment com;
    brwtest::ProcessSpec launch;
    launch.commandLine = L"\"" + std::wstring(argv[1]) + L"\\BRWConnector.exe\"";
    launch.captureOutput = false;
    launch.creationFlags = DETACHED_PROCESS;
    brwtest::RunningProcess connector(launch);
    const HWND window = brwtest::WaitForProcessWindow(
        connector.ProcessHandle(), connector.ProcessId(),
        {L"BRWCONNECTOR", L"Brimlow Search: Mail, Archives, and Applications"}, kWindowWaitMs);
    if (!com.Entered() || window == nullptr) {
        std::fprintf(stderr, "the connector's window did not appear\n");
        return 1;
    }
    const bool taken = TakeListPicture(connector, window, argv[2]) && TakeAboutPicture(connector, window, argv[2]);
    SendNotifyMessageW(window, WM_COMMAND, IDM_EXIT, 0);
    connector.Wait(kWindowWaitMs);
    return taken ? 0 : 1;
}
