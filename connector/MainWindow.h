#pragma once
// The connector's main window: created hidden, brought up from the tray,
// and the thing whose destruction ends the program. Its list view and menu
// commands beyond Exit belong to the database list.
#include "connector/TrayIcon.h"

#include <windows.h>

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
    // Creates the window hidden; false when it cannot be.
    bool Create();
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
    void AddSearchConnectorItem();

    HINSTANCE instance_;
    HWND window_ = nullptr;
    std::wstring title_;
    std::wstring className_;
    TrayIcon tray_;
    bool loopStarted_ = false;
    bool quit_ = false;
};

} // namespace brw
