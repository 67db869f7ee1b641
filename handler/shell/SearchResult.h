// The result folder: the same item handling as the results namespace folder,
// without an item allocator, and the folder that makes the preview view of
// the result it stands for.
#pragma once
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "handler/shell/ShellInterfaceIds.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace brw {

// {8DDDD85C-817B-4948-87A1-677297520495}
constexpr CLSID kSearchResultClsid = {0x8DDDD85C, 0x817B, 0x4948, {0x87, 0xA1, 0x67, 0x72, 0x97, 0x52, 0x04, 0x95}};

class CSearchResult final : public ComObject<IShellFolder2, IShellFolderViewCB, IPersistFolder2, IObjectWithSite> {
public:
    CSearchResult() noexcept = default;

    // IPersistFolder2
    IFACEMETHODIMP GetClassID(CLSID* pClassID) override;
    IFACEMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidl) override;
    using ComObject::Initialize;
    IFACEMETHODIMP GetCurFolder(PIDLIST_ABSOLUTE* ppidl) override;

    // IShellFolder
    IFACEMETHODIMP ParseDisplayName(HWND hwnd, IBindCtx* pbc, LPWSTR pszName, ULONG* pchEaten, PIDLIST_RELATIVE* ppidl,
                                    ULONG* pdwAttributes) override;
    IFACEMETHODIMP EnumObjects(HWND hwnd, SHCONTF grfFlags, IEnumIDList** ppenumIDList) override;
    IFACEMETHODIMP BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) override;
    IFACEMETHODIMP BindToStorage(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) override;
    IFACEMETHODIMP CompareIDs(LPARAM lParam, PCUIDLIST_RELATIVE pidl1, PCUIDLIST_RELATIVE pidl2) override;
    IFACEMETHODIMP CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) override;
    IFACEMETHODIMP GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl, SFGAOF* rgfInOut) override;
    IFACEMETHODIMP GetUIObjectOf(HWND hwndOwner, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, REFIID riid, UINT* rgfReserved,
                                 void** ppv) override;
    IFACEMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags, STRRET* pName) override;
    IFACEMETHODIMP SetNameOf(HWND hwnd, PCUITEMID_CHILD pidl, LPCWSTR pszName, SHGDNF uFlags,
                             PITEMID_CHILD* ppidlOut) override;

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
