// The results namespace folder: a delegate folder of the Desktop that turns
// brw:// URLs from the search into items and answers for them. It lists
// nothing itself; the search supplies the items.
#pragma once
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "handler/shell/ShellInterfaceIds.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace brw {

// {F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}
constexpr CLSID kSearchResultsShellClsid = {
    0xF3BA0807, 0x82D8, 0x42A5, {0xAD, 0x8B, 0xB5, 0x95, 0x3D, 0x6B, 0xF3, 0xAE}};

class CSearchResultsShell final : public ComObject<IShellFolder, IPersistFolder, IDelegateFolder, IExtractIconW> {
public:
    CSearchResultsShell() noexcept = default;

    // IPersistFolder
    IFACEMETHODIMP GetClassID(CLSID* pClassID) override;
    IFACEMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidl) override;
    using ComObject::Initialize;

    // IDelegateFolder
    IFACEMETHODIMP SetItemAlloc(IMalloc* pmalloc) override;

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

    // IExtractIconW
    IFACEMETHODIMP GetIconLocation(UINT uFlags, PWSTR pszIconFile, UINT cchMax, int* piIndex, UINT* pwFlags) override;
    IFACEMETHODIMP Extract(PCWSTR pszFile, UINT nIconIndex, HICON* phiconLarge, HICON* phiconSmall,
                           UINT nIconSize) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CSearchResultsShell() override = default;

    ComPtr<IMalloc> allocator_;
};

} // namespace brw
