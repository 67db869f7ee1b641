#pragma once
// The connector's icon in the notification area, owned by the main window:
// added once at start-up and deleted when its holder goes.
#include <windows.h>

namespace brw {

inline constexpr UINT kTrayIconId = 101;
inline constexpr UINT kTrayCallbackMessage = WM_APP + 100;
inline constexpr wchar_t kTrayTip[] = L"Brimlow Search";

class TrayIcon {
public:
    TrayIcon() = default;
    ~TrayIcon() { Remove(); }
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    // False when the shell refused it.
    bool Add(HWND owner, HICON icon);
    void Remove();
    // Changes the tip of an icon that is shown; false otherwise.
    bool SetTip(const wchar_t* tip);
    bool IsShown() const { return owner_ != nullptr; }

private:
    HWND owner_ = nullptr;
};

} // namespace brw
