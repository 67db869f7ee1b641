#pragma once
// The connector's main window: created hidden, brought up from the tray,
// and the thing whose destruction ends the program. Its client area is the
// database list; the menu commands go to the list's commands and dialogs,
// and the crawl's news of a pass beginning and ending keeps the tray tip and
// the list's crawl times current, with a timer only while a pass indexes.
#include "connector/DatabaseCommands.h"
#include "connector/DatabaseInfoSource.h"
#include "connector/IndexExclusion.h"
#include "connector/Serving.h"
#include "connector/TrayIcon.h"

#include <windows.h>

#include <optional>
#include <string>

namespace brw {

enum class MenuChoice { Normal, WithDebugItems };

class MainWindow {
public:
    explicit MainWindow(HINSTANCE instance);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Registers the window class; false when it cannot be.
    bool RegisterClass(MenuChoice menu);
    // Creates the window hidden, with its empty list; false (and the error
    // in GetLastError) when it cannot be. Notes must be bound: the list's
    // exclusions name the data directory Notes keeps.
    bool Create();
    // Reads the database list into the window.
    void FillList();
    // What the tray action starts when it enables the installation.
    void UseServing(Serving& serving) { serving_ = &serving; }
    // Adds the tray icon and, when that worked, hides the window.
    void ShowInTray();
    void RemoveFromTray() { tray_.Remove(); }

    // Runs the message loop until the window is destroyed; the quit code.
    int RunMessageLoop(HACCEL accelerators);

    HWND Handle() const { return window_; }
    bool IsInTray() const { return tray_.IsShown(); }

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
    void OnTrayClick();
    void WatchCrawl();
    void StopWatchingCrawl();
    void OnCrawlNews(WPARAM event);
    void OnStatusTimer();
    DWORD ShowCrawlStatus();
    void AddSearchConnectorItem();
    bool CreateList();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    std::wstring title_;
    std::wstring className_;
    TrayIcon tray_;
    DataServiceInfoSource infoSource_;
    std::optional<CrawlScopeExclusion> exclusion_;
    std::optional<DatabaseCommands> commands_;
    Serving* serving_ = nullptr;
    std::wstring shownTip_;
    DWORD passesSeen_ = 0;
    bool crawlWatched_ = false;
    bool loopStarted_ = false;
    bool quit_ = false;
};

} // namespace brw
