#include "handler/protocol/NSFUrlAccessor.h"

#include "common/FailureTrail.h"
#include "common/WideString.h"

#include <shlwapi.h>

#include <new>

namespace brw {

HRESULT CNSFUrlAccessor::InitializeAccessor(const wchar_t* url, IProtocolHandlerSite* site) noexcept
{
    site_ = ComPtr<IProtocolHandlerSite>(site);
    try {
        url_ = url ? url : L"";
    } catch (const std::bad_alloc&) {
        url_.clear();
    }
    handler_ = CreateUrlHandler(url);
    if (handler_) {
        handler_->SetSite(site);
    } else {
        // The indexer learns nothing of such a URL; the trail says which it was.
        TraceFailure(L"BRWHandler accessor", L"parse the URL", E_INVALIDARG);
    }
    return S_OK;
}

IFACEMETHODIMP CNSFUrlAccessor::AddRequestParameter(PROPSPEC*, PROPVARIANT*)
{
    return E_NOTIMPL;
}

// Without a handler nothing is known about the item, so the forwarded
// operations answer E_NOTIMPL like the ones that are never implemented.
IFACEMETHODIMP CNSFUrlAccessor::GetDocFormat(WCHAR wszDocFormat[], DWORD dwSize, DWORD* pdwLength)
{
    return handler_ ? handler_->GetDocFormat(wszDocFormat, dwSize, pdwLength) : E_NOTIMPL;
}

IFACEMETHODIMP CNSFUrlAccessor::GetCLSID(CLSID*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CNSFUrlAccessor::GetHost(WCHAR[], DWORD, DWORD*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CNSFUrlAccessor::IsDirectory()
{
    return handler_ && handler_->IsDirectory() ? S_OK : S_FALSE;
}

IFACEMETHODIMP CNSFUrlAccessor::GetSize(ULONGLONG* pllSize)
{
    if (!pllSize) {
        return E_POINTER;
    }
    *pllSize = 0;
    return handler_ ? handler_->GetSize(pllSize) : E_NOTIMPL;
}

IFACEMETHODIMP CNSFUrlAccessor::GetLastModified(FILETIME*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CNSFUrlAccessor::GetFileName(WCHAR wszFileName[], DWORD dwSize, DWORD* pdwLength)
{
    return handler_ ? handler_->GetFileName(wszFileName, dwSize, pdwLength) : E_NOTIMPL;
}

// The URL carries the user's SID, so the indexer runs as that user and
// takes E_NOTIMPL as "no per-item descriptor".
IFACEMETHODIMP CNSFUrlAccessor::GetSecurityDescriptor(BYTE*, DWORD, DWORD*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CNSFUrlAccessor::GetRedirectedURL(WCHAR[], DWORD, DWORD*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CNSFUrlAccessor::GetSecurityProvider(CLSID*)
{
    return S_FALSE;
}

IFACEMETHODIMP CNSFUrlAccessor::BindToStream(IStream**)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CNSFUrlAccessor::BindToFilter(IFilter** ppFilter)
{
    const HRESULT hr = handler_ ? handler_->BindToFilter(ppFilter) : E_NOTIMPL;
    if (FAILED(hr)) {
        TraceFailure(L"BRWHandler accessor", L"bind the item's filter", hr);
    }
    return hr;
}

IFACEMETHODIMP CNSFUrlAccessor::GetDisplayUrl(WCHAR wszDocUrl[], DWORD dwSize, DWORD* pdwLength)
{
    if (dwSize == 0 || dwSize > 0x7FFFFFFF || !wszDocUrl || !pdwLength) {
        return E_INVALIDARG;
    }
    if (!CopyBounded(wszDocUrl, static_cast<int>(dwSize), kDisplayUrl)) {
        wszDocUrl[0] = L'\0';
        *pdwLength = dwSize;
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    }
    *pdwLength = static_cast<DWORD>(ARRAYSIZE(kDisplayUrl) - 1);
    return S_OK;
}

IFACEMETHODIMP CNSFUrlAccessor::IsDocument()
{
    return IsDirectory() == S_OK ? S_FALSE : S_OK;
}

IFACEMETHODIMP CNSFUrlAccessor::GetCodePage(WCHAR[], DWORD, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT CNSFUrlAccessor::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENTMULTI(CNSFUrlAccessor, IUrlAccessor, IUrlAccessor2),
        QITABENT(CNSFUrlAccessor, IUrlAccessor2),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
