// The shell view that shows a brw:// result inside Explorer. It draws
// nothing itself: it fetches the document's body (as RTF) or the attachment
// from the connector, loads it into the preview handler registered for that
// file type and hosts the handler in a child window.
#pragma once
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "handler/pipe/ConnectorFile.h"
#include "handler/protocol/BrwUrl.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <memory>
#include <string>

namespace brw {

// {9462FC09-60EB-4FB3-B2CB-CC88800C914D}
constexpr CLSID kBRWPreviewShellViewClsid = {
    0x9462FC09, 0x60EB, 0x4FB3, {0xB2, 0xCB, 0xCC, 0x88, 0x80, 0x0C, 0x91, 0x4D}};
constexpr wchar_t kPreviewWindowClass[] = L"BRWPreviewShellView";

class CBRWPreviewShellView final : public ComObject<IShellView> {
public:
    CBRWPreviewShellView() noexcept = default;

    // The result folder the view shows; the view keeps a reference.
    void SetFolder(IPersistFolder2* folder) noexcept { folder_ = ComPtr<IPersistFolder2>(folder); }

    // IOleWindow
    IFACEMETHODIMP GetWindow(HWND* phwnd) override;
    IFACEMETHODIMP ContextSensitiveHelp(BOOL fEnterMode) override;
    // IShellView
    IFACEMETHODIMP TranslateAccelerator(MSG* pmsg) override;
    IFACEMETHODIMP EnableModeless(BOOL fEnable) override;
    IFACEMETHODIMP UIActivate(UINT uState) override;
    IFACEMETHODIMP Refresh() override;
    IFACEMETHODIMP CreateViewWindow(IShellView* psvPrevious, LPCFOLDERSETTINGS pfs, IShellBrowser* psb, RECT* prcView,
                                    HWND* phWnd) override;
    IFACEMETHODIMP DestroyViewWindow() override;
    IFACEMETHODIMP GetCurrentInfo(LPFOLDERSETTINGS pfs) override;
    IFACEMETHODIMP AddPropertySheetPages(DWORD dwReserved, LPFNSVADDPROPSHEETPAGE pfn, LPARAM lparam) override;
    IFACEMETHODIMP SaveViewState() override;
    IFACEMETHODIMP SelectItem(PCUITEMID_CHILD pidlItem, SVSIF uFlags) override;
    IFACEMETHODIMP GetItemObject(UINT uItem, REFIID riid, void** ppv) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CBRWPreviewShellView() override;

    static HRESULT RegisterWindowClass(HINSTANCE module);
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnCreate();

    HRESULT ReadResultUrl(std::wstring* url);
    HRESULT FetchFile(const ParsedBrwUrl& parsed);
    HRESULT LoadHandler(const ParsedBrwUrl& parsed);
    HRESULT CreateWindowIn(IShellBrowser* browser, const RECT& area);
    void TearDown() noexcept;

    HWND window_ = nullptr;
    CoTaskMemPtr<ITEMIDLIST> folderList_;
    ComPtr<IPreviewHandler> handler_;
    ComPtr<IShellBrowser> browser_;
    HWND parent_ = nullptr;
    // The window that had the focus before the preview took it, given back
    // once when the shell activates the view without the focus.
    HWND previousFocus_ = nullptr;
    bool previousFocusKept_ = false;
    FOLDERSETTINGS settings_ = {};
    ComPtr<IPersistFolder2> folder_;
    // The body or attachment written for this view alone (not left to the
    // temporary-file manager): deleted when the view goes.
    std::unique_ptr<ConnectorFile> file_;
};

// A view of folder, queried for riid, as the result folder hands it out.
HRESULT CreatePreviewShellView(IPersistFolder2* folder, REFIID riid, void** ppv) noexcept;

// Called as the module unloads: a window class outliving its module would
// point at code that is gone.
void UnregisterPreviewWindowClass(HINSTANCE module) noexcept;

} // namespace brw
