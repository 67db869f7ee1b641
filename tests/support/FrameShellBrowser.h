// The shell's frame as far as a shell view uses it: a window to be the
// view's parent. Everything else a frame offers is not there.
#pragma once
#include "common/ComObject.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

namespace brwtest {

class FrameShellBrowser final : public brw::ComObject<IShellBrowser> {
public:
    explicit FrameShellBrowser(HWND window) noexcept : window_(window) {}

    IFACEMETHODIMP GetWindow(HWND* phwnd) override
    {
        if (!phwnd) {
            return E_POINTER;
        }
        *phwnd = window_;
        return S_OK;
    }
    IFACEMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP InsertMenusSB(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    IFACEMETHODIMP SetMenuSB(HMENU, HOLEMENU, HWND) override { return E_NOTIMPL; }
    IFACEMETHODIMP RemoveMenusSB(HMENU) override { return E_NOTIMPL; }
    IFACEMETHODIMP SetStatusTextSB(LPCWSTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP EnableModelessSB(BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP TranslateAcceleratorSB(MSG*, WORD) override { return E_NOTIMPL; }
    IFACEMETHODIMP BrowseObject(PCUIDLIST_RELATIVE, UINT) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetViewStateStream(DWORD, IStream**) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetControlWindow(UINT, HWND*) override { return E_NOTIMPL; }
    IFACEMETHODIMP SendControlMsg(UINT, UINT, WPARAM, LPARAM, LRESULT*) override { return E_NOTIMPL; }
    IFACEMETHODIMP QueryActiveShellView(IShellView**) override { return E_NOTIMPL; }
    IFACEMETHODIMP OnViewWindowActive(IShellView*) override { return E_NOTIMPL; }
    IFACEMETHODIMP SetToolbarItems(LPTBBUTTONSB, UINT, UINT) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {
            QITABENT(FrameShellBrowser, IShellBrowser),
            QITABENTMULTI(FrameShellBrowser, IOleWindow, IShellBrowser),
            {},
        };
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    ~FrameShellBrowser() override = default;
    HWND window_;
};

} // namespace brwtest
