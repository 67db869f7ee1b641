#include "handler/shell/SearchResult.h"

#include "handler/shell/EmptyItemList.h"
#include "handler/shell/PreviewShellView.h"
#include "handler/shell/ResultFolderItems.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

namespace brw {
namespace {

template <typename T>
HRESULT NotImplemented(T** out)
{
    if (out) {
        *out = nullptr;
    }
    return E_NOTIMPL;
}

} // namespace

IFACEMETHODIMP CSearchResult::GetClassID(CLSID* pClassID)
{
    if (!pClassID) {
        return E_POINTER;
    }
    *pClassID = kSearchResultClsid;
    return S_OK;
}

IFACEMETHODIMP CSearchResult::Initialize(PCIDLIST_ABSOLUTE pidl)
{
    if (!pidl) {
        return E_INVALIDARG;
    }
    CoTaskMemPtr<ITEMIDLIST> clone(ILClone(pidl));
    if (!clone) {
        return E_OUTOFMEMORY;
    }
    folder_ = std::move(clone);
    return S_OK;
}

IFACEMETHODIMP CSearchResult::GetCurFolder(PIDLIST_ABSOLUTE* ppidl)
{
    if (!ppidl) {
        return E_POINTER;
    }
    *ppidl = nullptr;
    if (!folder_) {
        return E_INVALIDARG;
    }
    *ppidl = ILClone(folder_.get());
    return *ppidl ? S_OK : E_OUTOFMEMORY;
}

// Without an item allocator no item can be made: the result folder names no
// new items.
IFACEMETHODIMP CSearchResult::ParseDisplayName(HWND, IBindCtx*, LPWSTR pszName, ULONG* pchEaten,
                                               PIDLIST_RELATIVE* ppidl, ULONG* pdwAttributes)
{
    return ParseResultName(nullptr, pszName, pchEaten, ppidl, pdwAttributes);
}

IFACEMETHODIMP CSearchResult::EnumObjects(HWND, SHCONTF, IEnumIDList** ppenumIDList)
{
    return CreateInstance<CEmptyItemList>(nullptr, IID_IEnumIDList, reinterpret_cast<void**>(ppenumIDList));
}

// The file is extracted without the temporary-file manager; it is left to
// the data service's own cleanup.
IFACEMETHODIMP CSearchResult::BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx*, REFIID riid, void** ppv)
{
    std::wstring file;
    return OpenResultStream(pidl, riid, DocumentRequest{}, ppv, &file);
}

IFACEMETHODIMP CSearchResult::BindToStorage(PCUIDLIST_RELATIVE, IBindCtx*, REFIID, void** ppv)
{
    return NotImplemented(ppv);
}

IFACEMETHODIMP CSearchResult::CompareIDs(LPARAM, PCUIDLIST_RELATIVE pidl1, PCUIDLIST_RELATIVE pidl2)
{
    return CompareResultItems(pidl1, pidl2);
}

IFACEMETHODIMP CSearchResult::CreateViewObject(HWND, REFIID riid, void** ppv)
{
    if (!IsEqualIID(riid, IID_IShellView)) {
        return NotImplemented(ppv);
    }
    return CreatePreviewShellView(this, riid, ppv);
}

IFACEMETHODIMP CSearchResult::GetAttributesOf(UINT cidl, PCUITEMID_CHILD_ARRAY apidl, SFGAOF* rgfInOut)
{
    return ResultAttributes(cidl, apidl, rgfInOut);
}

IFACEMETHODIMP CSearchResult::GetUIObjectOf(HWND, UINT cidl, PCUITEMID_CHILD_ARRAY apidl, REFIID riid, UINT*,
                                            void** ppv)
{
    return ResultUIObject(cidl, apidl, riid, nullptr, ppv);
}

IFACEMETHODIMP CSearchResult::GetDisplayNameOf(PCUITEMID_CHILD pidl, SHGDNF uFlags, STRRET* pName)
{
    return ResultDisplayName(pidl, uFlags, ItemNaming::UrlAlways, pName);
}

IFACEMETHODIMP CSearchResult::SetNameOf(HWND, PCUITEMID_CHILD, LPCWSTR, SHGDNF, PITEMID_CHILD* ppidlOut)
{
    return NotImplemented(ppidlOut);
}

IFACEMETHODIMP CSearchResult::GetDefaultSearchGUID(GUID*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CSearchResult::EnumSearches(IEnumExtraSearch** ppenum)
{
    return NotImplemented(ppenum);
}

IFACEMETHODIMP CSearchResult::GetDefaultColumn(DWORD, ULONG*, ULONG*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CSearchResult::GetDefaultColumnState(UINT, SHCOLSTATEF*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CSearchResult::GetDetailsEx(PCUITEMID_CHILD, const SHCOLUMNID*, VARIANT*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CSearchResult::GetDetailsOf(PCUITEMID_CHILD, UINT, SHELLDETAILS*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CSearchResult::MapColumnToSCID(UINT, SHCOLUMNID*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CSearchResult::MessageSFVCB(UINT, WPARAM, LPARAM)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CSearchResult::SetSite(IUnknown*)
{
    return S_OK;
}

IFACEMETHODIMP CSearchResult::GetSite(REFIID, void** ppvSite)
{
    if (!ppvSite) {
        return E_POINTER;
    }
    *ppvSite = nullptr;
    return E_FAIL; // no site is kept
}

HRESULT CSearchResult::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(CSearchResult, IShellFolder2),
        QITABENTMULTI(CSearchResult, IShellFolder, IShellFolder2),
        QITABENT(CSearchResult, IShellFolderViewCB),
        QITABENT(CSearchResult, IPersistFolder2),
        QITABENTMULTI(CSearchResult, IPersistFolder, IPersistFolder2),
        QITABENTMULTI(CSearchResult, IPersist, IPersistFolder2),
        QITABENT(CSearchResult, IObjectWithSite),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
