#include "handler/shell/SearchResult.h"

#include "handler/shell/EmptyItemList.h"
#include "handler/shell/PreviewShellView.h"
#include "handler/shell/ResultFolderItems.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <string>

namespace brw {

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

IFACEMETHODIMP CSearchResult::CreateViewObject(HWND, REFIID riid, void** ppv)
{
    if (!IsEqualIID(riid, IID_IShellView)) {
        return NotImplemented(ppv);
    }
    return CreatePreviewShellView(this, riid, ppv);
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
