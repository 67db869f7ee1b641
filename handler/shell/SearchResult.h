// The result folder: the same item handling as the results namespace folder,
// without an item allocator, and the folder that makes the preview view of
// the result it stands for.
#pragma once
#include "common/ComHolders.h"
#include "handler/shell/ResultFolder.h"
#include "handler/shell/ShellInterfaceIds.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace brw {

// {8DDDD85C-817B-4948-87A1-677297520495}
constexpr CLSID kSearchResultClsid = {0x8DDDD85C, 0x817B, 0x4948, {0x87, 0xA1, 0x67, 0x72, 0x97, 0x52, 0x04, 0x95}};

class CSearchResult final
    : public ResultFolder<CSearchResult, IShellFolder2, IShellFolderViewCB, IPersistFolder2, IObjectWithSite> {
public:
    static constexpr const CLSID* kClassId = &kSearchResultClsid;
    static constexpr ItemNaming kNaming = ItemNaming::UrlAlways;

    CSearchResult() noexcept = default;

    // Without an item allocator no item can be made: the result folder
    // names no new items.
    IMalloc* ItemAllocator() const noexcept { return nullptr; }
    IExtractIconW* ItemIcon() noexcept { return nullptr; }

    // IPersistFolder2
    IFACEMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidl) override;
    using ComObject::Initialize;
    IFACEMETHODIMP GetCurFolder(PIDLIST_ABSOLUTE* ppidl) override;

    // IShellFolder, beyond what every result folder answers
    IFACEMETHODIMP EnumObjects(HWND hwnd, SHCONTF grfFlags, IEnumIDList** ppenumIDList) override;
    IFACEMETHODIMP BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) override;
    IFACEMETHODIMP CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) override;

    // IShellFolder2
    IFACEMETHODIMP GetDefaultSearchGUID(GUID* pguid) override;
    IFACEMETHODIMP EnumSearches(IEnumExtraSearch** ppenum) override;
    IFACEMETHODIMP GetDefaultColumn(DWORD dwRes, ULONG* pSort, ULONG* pDisplay) override;
    IFACEMETHODIMP GetDefaultColumnState(UINT iColumn, SHCOLSTATEF* pcsFlags) override;
    IFACEMETHODIMP GetDetailsEx(PCUITEMID_CHILD pidl, const SHCOLUMNID* pscid, VARIANT* pv) override;
    IFACEMETHODIMP GetDetailsOf(PCUITEMID_CHILD pidl, UINT iColumn, SHELLDETAILS* psd) override;
    IFACEMETHODIMP MapColumnToSCID(UINT iColumn, SHCOLUMNID* pscid) override;

    // IShellFolderViewCB: the shell keeps its defaults for every message.
    IFACEMETHODIMP MessageSFVCB(UINT uMsg, WPARAM wParam, LPARAM lParam) override;

    // IObjectWithSite: the site is not kept.
    IFACEMETHODIMP SetSite(IUnknown* pUnkSite) override;
    IFACEMETHODIMP GetSite(REFIID riid, void** ppvSite) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CSearchResult() override = default;

    CoTaskMemPtr<ITEMIDLIST> folder_;
};

} // namespace brw
