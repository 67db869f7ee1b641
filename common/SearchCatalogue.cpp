#include "common/SearchCatalogue.h"

namespace brw {

HRESULT OpenSystemCatalogue(ComPtr<ISearchCatalogManager>& catalogue) noexcept
{
    catalogue.reset();
    ComPtr<ISearchManager> manager;
    HRESULT hr =
        CoCreateInstance(CLSID_CSearchManager, nullptr, kSearchManagerContext, IID_ISearchManager, manager.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    hr = manager->GetCatalog(kSystemCatalogueName, catalogue.put());
    if (SUCCEEDED(hr) && !catalogue) {
        return E_POINTER;
    }
    return hr;
}

HRESULT OpenSystemCrawlScope(ComPtr<ISearchCrawlScopeManager>& scope) noexcept
{
    scope.reset();
    ComPtr<ISearchCatalogManager> catalogue;
    HRESULT hr = OpenSystemCatalogue(catalogue);
    if (SUCCEEDED(hr)) {
        hr = catalogue->GetCrawlScopeManager(scope.put());
    }
    if (SUCCEEDED(hr) && !scope) {
        return E_POINTER;
    }
    return hr;
}

} // namespace brw
