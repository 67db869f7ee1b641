#include "handler/shell/SearchResultsShell.h"

#include "handler/shell/ResultFolderItems.h"

#include <windows.h>
#include <shlwapi.h>
#include <strsafe.h>

#include <new>
#include <string>

namespace brw {

IFACEMETHODIMP CSearchResultsShell::Initialize(PCIDLIST_ABSOLUTE)
{
    return S_OK;
}

IFACEMETHODIMP CSearchResultsShell::SetItemAlloc(IMalloc* pmalloc)
{
    allocator_ = ComPtr<IMalloc>(pmalloc);
    return S_OK;
}

IFACEMETHODIMP CSearchResultsShell::EnumObjects(HWND, SHCONTF, IEnumIDList**)
{
    return E_NOTIMPL;
}

// The preview pane asks for the content. The file is extracted for the
// connector's temporary-file manager (manage), which deletes it once it is
// no longer open; the folder therefore never deletes it too.
IFACEMETHODIMP CSearchResultsShell::BindToObject(PCUIDLIST_RELATIVE pidl, IBindCtx*, REFIID riid, void** ppv)
{
    DocumentRequest request;
    request.preview = true;
    request.manage = true;
    std::wstring file;
    return OpenResultStream(pidl, riid, request, ppv, &file);
}

IFACEMETHODIMP CSearchResultsShell::CreateViewObject(HWND, REFIID, void** ppv)
{
    return NotImplemented(ppv);
}

// The results' icon is this module's own first icon, wherever it is installed.
IFACEMETHODIMP CSearchResultsShell::GetIconLocation(UINT, PWSTR pszIconFile, UINT cchMax, int* piIndex, UINT* pwFlags)
{
    if (!pszIconFile || !piIndex || !pwFlags) {
        return E_POINTER;
    }
    try {
        const std::wstring path = ThisModulePath();
        if (path.empty() || cchMax == 0) {
            return E_FAIL;
        }
        const HRESULT hr = StringCchCopyW(pszIconFile, cchMax, path.c_str());
        if (FAILED(hr)) {
            return hr;
        }
        *piIndex = 0;
        *pwFlags = 0;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

IFACEMETHODIMP CSearchResultsShell::Extract(PCWSTR, UINT, HICON*, HICON*, UINT)
{
    return S_FALSE; // the shell extracts the icon from the location itself
}

HRESULT CSearchResultsShell::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(CSearchResultsShell, IShellFolder),
        QITABENT(CSearchResultsShell, IPersistFolder),
        QITABENTMULTI(CSearchResultsShell, IPersist, IPersistFolder),
        QITABENT(CSearchResultsShell, IDelegateFolder),
        QITABENT(CSearchResultsShell, IExtractIconW),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
