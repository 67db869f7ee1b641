// What both results folders answer alike: their class id, and the item
// operations of IShellFolder that go straight to ResultFolderItems. Folder,
// the derived class, says what differs between them:
//   static constexpr const CLSID* kClassId;
//   static constexpr ItemNaming kNaming;
//   IMalloc* ItemAllocator() const;  null: no item can be made
//   IExtractIconW* ItemIcon();       null: items have no icon of ours
#pragma once
#include "common/ComObject.h"
#include "handler/shell/ResultFolderItems.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace brw {

template <typename Folder, typename... Interfaces>
class ResultFolder : public ComObject<Interfaces...> {
public:
    // IPersist
    IFACEMETHODIMP GetClassID(CLSID* pClassID) override
    {
        if (!pClassID) {
            return E_POINTER;
        }
        *pClassID = *Folder::kClassId;
        return S_OK;
    }

    // IShellFolder
    IFACEMETHODIMP ParseDisplayName(HWND, IBindCtx*, LPWSTR pszName, ULONG* pchEaten, PIDLIST_RELATIVE* ppidl,
                                    ULONG* pdwAttributes) override
    {
        return ParseResultName(Self().ItemAllocator(), pszName, pchEaten, ppidl, pdwAttributes);
    }
    IFACEMETHODIMP BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** ppv) override
    {
        return NotImplemented(ppv);
    }
    IFACEMETHODIMP CompareIDs(LPARAM, PCUIDLIST_RELATIVE pidl1, PCUIDLIST_RELATIVE pidl2) override
    {
        return CompareResultItems(pidl1, pidl2);
    }
    IFACEMETHODIMP GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl, SFGAOF* rgfInOut) override
    {
        return ResultAttributes(cidl, apidl, rgfInOut);
    }
    IFACEMETHODIMP GetUIObjectOf(HWND, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, REFIID riid, UINT*, void** ppv) override
    {
        return ResultUIObject(cidl, apidl, riid, Self().ItemIcon(), ppv);
    }
    IFACEMETHODIMP GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags, STRRET* pName) override
    {
        return ResultDisplayName(pidl, uFlags, Folder::kNaming, pName);
    }
    IFACEMETHODIMP SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD* ppidlOut) override
    {
        return NotImplemented(ppidlOut);
    }

protected:
    ResultFolder() noexcept = default;

    // E_NOTIMPL with the out-parameter cleared, so that a caller that reads
    // it anyway finds null.
    template <typename T>
    static HRESULT NotImplemented(T** out) noexcept
    {
        if (out) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }

private:
    Folder& Self() noexcept { return static_cast<Folder&>(*this); }
};

} // namespace brw
