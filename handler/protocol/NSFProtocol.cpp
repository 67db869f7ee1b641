#include "handler/protocol/NSFProtocol.h"

#include "handler/protocol/NSFUrlAccessor.h"

#include <shlwapi.h>

#include <new>

namespace brw {

IFACEMETHODIMP CNSFProtocol::Init(TIMEOUT_INFO*, IProtocolHandlerSite* pProtocolHandlerSite, PROXY_INFO*)
{
    ComPtr<IProtocolHandlerSite> site(pProtocolHandlerSite);
    std::lock_guard<std::mutex> hold(siteLock_);
    site_ = std::move(site);
    return S_OK;
}

ComPtr<IProtocolHandlerSite> CNSFProtocol::CurrentSite()
{
    std::lock_guard<std::mutex> hold(siteLock_);
    return ComPtr<IProtocolHandlerSite>(site_.get());
}

IFACEMETHODIMP CNSFProtocol::CreateAccessor(LPCWSTR pcwszURL, AUTHENTICATION_INFO* pAuthenticationInfo,
                                            INCREMENTAL_ACCESS_INFO* pIncrementalAccessInfo, ITEM_INFO* pItemInfo,
                                            IUrlAccessor** ppAccessor)
{
    return CreateAccessorEx(pcwszURL, pAuthenticationInfo, pIncrementalAccessInfo, pItemInfo, nullptr, ppAccessor);
}

IFACEMETHODIMP CNSFProtocol::CloseAccessor(IUrlAccessor*)
{
    return S_OK;
}

IFACEMETHODIMP CNSFProtocol::ShutDown()
{
    return S_OK;
}

IFACEMETHODIMP CNSFProtocol::CreateAccessorEx(LPCWSTR pcwszURL, AUTHENTICATION_INFO*, INCREMENTAL_ACCESS_INFO*,
                                              ITEM_INFO*, const BLOB*, IUrlAccessor** ppAccessor)
{
    if (!ppAccessor) {
        return E_POINTER;
    }
    *ppAccessor = nullptr;
    auto* accessor = new (std::nothrow) CNSFUrlAccessor();
    if (!accessor) {
        return E_OUTOFMEMORY;
    }
    IUnknown* inner = accessor->InnerUnknown();
    const ComPtr<IProtocolHandlerSite> site = CurrentSite();
    accessor->InitializeAccessor(pcwszURL, site.get());
    const HRESULT hr = inner->QueryInterface(IID_IUrlAccessor, reinterpret_cast<void**>(ppAccessor));
    inner->Release();
    return hr;
}

HRESULT CNSFProtocol::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENTMULTI(CNSFProtocol, ISearchProtocol, ISearchProtocol2),
        QITABENT(CNSFProtocol, ISearchProtocol2),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
