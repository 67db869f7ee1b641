// CSearchManager: the entry point; hands out the one catalogue.
#include "common/ComObject.h"
#include "common/WideString.h"
#include "platform/winsearch/core/StateFolder.h"
#include "platform/winsearch/service/ServiceObjects.h"

#include <shlwapi.h>

namespace brw::winsearch {

namespace {

constexpr wchar_t kIndexerVersion[] = L"7.0.0.0";

class SearchManager final : public ComObject<ISearchManager> {
public:
    IFACEMETHODIMP GetIndexerVersionStr(LPWSTR* version) override
    {
        return DuplicateCoTaskMemString(kIndexerVersion, version);
    }
    IFACEMETHODIMP GetIndexerVersion(DWORD* major, DWORD* minor) override
    {
        if (!major || !minor) {
            return E_POINTER;
        }
        *major = 7;
        *minor = 0;
        return S_OK;
    }
    IFACEMETHODIMP GetParameter(LPCWSTR, PROPVARIANT** value) override
    {
        if (value) {
            *value = nullptr;
        }
        return E_NOTIMPL;
    }
    IFACEMETHODIMP SetParameter(LPCWSTR, const PROPVARIANT*) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_ProxyName(LPWSTR*) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_BypassList(LPWSTR*) override { return E_NOTIMPL; }
    IFACEMETHODIMP SetProxy(PROXY_ACCESS, BOOL, DWORD, LPCWSTR, LPCWSTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetCatalog(LPCWSTR name, ISearchCatalogManager** catalog) override
    {
        if (!catalog) {
            return E_POINTER;
        }
        *catalog = nullptr;
        if (!name) {
            return E_INVALIDARG;
        }
        if (CompareStringOrdinal(name, -1, kCatalogName, -1, TRUE) != CSTR_EQUAL) {
            return kCatalogNotFound;
        }
        const std::wstring folder = StateFolder();
        if (folder.empty()) {
            return HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND);
        }
        return CreateCatalogManager(folder, catalog);
    }
    IFACEMETHODIMP get_UserAgent(LPWSTR*) override { return E_NOTIMPL; }
    IFACEMETHODIMP put_UserAgent(LPCWSTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_UseProxy(PROXY_ACCESS*) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_LocalBypass(BOOL*) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_PortNumber(DWORD*) override { return E_NOTIMPL; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(SearchManager, ISearchManager), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }
};

} // namespace

HRESULT CreateSearchManager(IUnknown* outer, REFIID riid, void** ppv)
{
    return CreateInstance<SearchManager>(outer, riid, ppv);
}

} // namespace brw::winsearch
