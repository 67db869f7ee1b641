// The results namespace folder: a delegate folder of the Desktop that turns
// brw:// URLs from the search into items and answers for them. It lists
// nothing itself; the search supplies the items.
#pragma once
#include "common/ComHolders.h"
#include "handler/shell/ResultFolder.h"
#include "handler/shell/ShellInterfaceIds.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace brw {

// {F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}
constexpr CLSID kSearchResultsShellClsid = {
    0xF3BA0807, 0x82D8, 0x42A5, {0xAD, 0x8B, 0xB5, 0x95, 0x3D, 0x6B, 0xF3, 0xAE}};

class CSearchResultsShell final
    : public ResultFolder<CSearchResultsShell, IShellFolder, IPersistFolder, IDelegateFolder, IExtractIconW> {
public:
    static constexpr const CLSID* kClassId = &kSearchResultsShellClsid;
    static constexpr ItemNaming kNaming = ItemNaming::Friendly;

    CSearchResultsShell() noexcept = default;

    // Items are made with the allocator the Desktop hands a delegate folder.
    IMalloc* ItemAllocator() const noexcept { return allocator_.get(); }
    IExtractIconW* ItemIcon() noexcept { return this; }

    // IPersistFolder
    IFACEMETHODIMP Initialize(PCIDLIST_ABSOLUTE pidl) override;
    using ComObject::Initialize;

    // IDelegateFolder
    IFACEMETHODIMP SetItemAlloc(IMalloc* pmalloc) override;

    // IShellFolder, beyond what every result folder answers
    IFACEMETHODIMP EnumObjects(HWND hwnd, SHCONTF grfFlags, IEnumIDList** ppenumIDList) override;
    IFACEMETHODIMP BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx* pbc, REFIID riid, void** ppv) override;
    IFACEMETHODIMP CreateViewObject(HWND hwndOwner, REFIID riid, void** ppv) override;

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
