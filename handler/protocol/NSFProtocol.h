// The protocol handler Windows Search binds to the brw scheme: it makes one
// accessor per URL it is asked to crawl.
#pragma once
#include "common/ComHolders.h"
#include "common/ComObject.h"

#include <windows.h>
#include <searchapi.h>

#include <mutex>

namespace brw {

// {F7FD5BEC-6B4C-4C41-BC6D-318E7567BCEB}
constexpr CLSID kNSFProtocolClsid = {0xF7FD5BEC, 0x6B4C, 0x4C41, {0xBC, 0x6D, 0x31, 0x8E, 0x75, 0x67, 0xBC, 0xEB}};

class CNSFProtocol final : public ComObject<ISearchProtocol2> {
public:
    explicit CNSFProtocol(IUnknown* outer = nullptr) noexcept : ComObject(outer) {}

    IFACEMETHODIMP Init(TIMEOUT_INFO* pTimeoutInfo, IProtocolHandlerSite* pProtocolHandlerSite,
                        PROXY_INFO* pProxyInfo) override;
    IFACEMETHODIMP CreateAccessor(LPCWSTR pcwszURL, AUTHENTICATION_INFO* pAuthenticationInfo,
                                  INCREMENTAL_ACCESS_INFO* pIncrementalAccessInfo, ITEM_INFO* pItemInfo,
                                  IUrlAccessor** ppAccessor) override;
    IFACEMETHODIMP CloseAccessor(IUrlAccessor* pAccessor) override;
    IFACEMETHODIMP ShutDown() override;
    IFACEMETHODIMP CreateAccessorEx(LPCWSTR pcwszURL, AUTHENTICATION_INFO* pAuthenticationInfo,
                                    INCREMENTAL_ACCESS_INFO* pIncrementalAccessInfo, ITEM_INFO* pItemInfo,
                                    const BLOB* pUserData, IUrlAccessor** ppAccessor) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CNSFProtocol() override = default;
    ComPtr<IProtocolHandlerSite> CurrentSite();

    // The host may create accessors on several threads while Init replaces
    // the site, so the site is read and written under this lock.
    std::mutex siteLock_;
    ComPtr<IProtocolHandlerSite> site_;
};

} // namespace brw
