#include "connector/TrayIcon.h"

#include <shellapi.h>

namespace brw {
namespace {

NOTIFYICONDATAW IconData(HWND owner)
{
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof(data);
    data.hWnd = owner;
    data.uID = kTrayIconId;
    return data;
}

} // namespace

bool TrayIcon::Add(HWND owner, HICON icon)
{
    Remove();
    NOTIFYICONDATAW data = IconData(owner);
    data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
    data.uCallbackMessage = kTrayCallbackMessage;
    data.hIcon = icon;
    lstrcpynW(data.szTip, kTrayTip, ARRAYSIZE(data.szTip));
    if (!Shell_NotifyIconW(NIM_ADD, &data)) {
        return false;
    }
    owner_ = owner;
    data.uVersion = NOTIFYICON_VERSION;
    Shell_NotifyIconW(NIM_SETVERSION, &data);
    return true;
}

void TrayIcon::Remove()
{
    if (owner_ == nullptr) {
        return;
    }
    NOTIFYICONDATAW data = IconData(owner_);
    Shell_NotifyIconW(NIM_DELETE, &data);
    owner_ = nullptr;
}

} // namespace brw
