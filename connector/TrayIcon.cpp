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

bool TrayIcon::SetTip(const wchar_t* tip)
{
    if (owner_ == nullptr) {
        return false;
    }
    NOTIFYICONDATAW data = IconData(owner_);
    data.uFlags = NIF_TIP | NIF_SHOWTIP;
    lstrcpynW(data.szTip, tip, ARRAYSIZE(data.szTip));
    return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

} // namespace brw
