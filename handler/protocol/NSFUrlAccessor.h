// The accessor of one brw URL: answers the indexer's questions about the
// item by asking the URL's handler.
#pragma once
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "handler/protocol/UrlHandlers.h"

#include <windows.h>
#include <searchapi.h>

#include <memory>
#include <string>

namespace brw {

// {DA0B85FA-7AC1-4A86-BB72-8C79C251B8BC}
constexpr CLSID kNSFUrlAccessorClsid = {0xDA0B85FA, 0x7AC1, 0x4A86, {0xBB, 0x72, 0x8C, 0x79, 0xC2, 0x51, 0xB8, 0xBC}};
constexpr wchar_t kDisplayUrl[] = L"notes:///mail/admin.nsf/($Inbox)";

class CNSFUrlAccessor final : public ComObject<IUrlAccessor2> {
public:
    explicit CNSFUrlAccessor(IUnknown* outer = nullptr) noexcept : ComObject(outer) {}

    // Always succeeds: an unrecognised URL gives an accessor without handler.
    HRESULT InitializeAccessor(const wchar_t* url, IProtocolHandlerSite* site) noexcept;

    IFACEMETHODIMP AddRequestParameter(PROPSPEC* pProperty, PROPVARIANT* pValue) override;
    IFACEMETHODIMP GetDocFormat(WCHAR wszDocFormat[], DWORD dwSize, DWORD* pdwLength) override;
    IFACEMETHODIMP GetCLSID(CLSID* pClsid) override;
    IFACEMETHODIMP GetHost(WCHAR wszHost[], DWORD dwSize, DWORD* pdwLength) override;
    IFACEMETHODIMP IsDirectory() override;
    IFACEMETHODIMP GetSize(ULONGLONG* pllSize) override;
    IFACEMETHODIMP GetLastModified(FILETIME* pftLastModified) override;
    IFACEMETHODIMP GetFileName(WCHAR wszFileName[], DWORD dwSize, DWORD* pdwLength) override;
    IFACEMETHODIMP GetSecurityDescriptor(BYTE* pSD, DWORD dwSize, DWORD* pdwLength) override;
    IFACEMETHODIMP GetRedirectedURL(WCHAR wszRedirectedURL[], DWORD dwSize, DWORD* pdwLength) override;
    IFACEMETHODIMP GetSecurityProvider(CLSID* pSPClsid) override;
    IFACEMETHODIMP BindToStream(IStream** ppStream) override;
    IFACEMETHODIMP BindToFilter(IFilter** ppFilter) override;
    IFACEMETHODIMP GetDisplayUrl(WCHAR wszDocUrl[], DWORD dwSize, DWORD* pdwLength) override;
    IFACEMETHODIMP IsDocument() override;
    IFACEMETHODIMP GetCodePage(WCHAR wszCodePage[], DWORD dwSize, DWORD* pdwLength) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CNSFUrlAccessor() override = default;

    ComPtr<IProtocolHandlerSite> site_;
    std::wstring url_;
    std::unique_ptr<URLHandler> handler_;
};

} // namespace brw
