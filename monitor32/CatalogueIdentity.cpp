#include "monitor32/CatalogueIdentity.h"

#include "common/ComHolders.h"
#include "common/FailureTrail.h"
#include "common/SearchCatalogue.h"

#include <windows.h>
#include <searchapi.h>

namespace brw {
namespace {

HRESULT Traced(const wchar_t* step, HRESULT hr) noexcept
{
    if (FAILED(hr)) {
        TraceFailure(L"Index change monitor", step, hr);
    }
    return hr;
}

HRESULT OpenCatalog(ComPtr<ISearchCatalogManager>& catalog) noexcept
{
    return Traced(L"open the catalogue", OpenSystemCatalogue(catalog));
}

} // namespace

HRESULT QuerySystemCatalogueIdentity(CatalogueIdentity* identity) noexcept
{
    if (!identity) {
        return E_POINTER;
    }
    ComPtr<ISearchCatalogManager> catalog;
    HRESULT hr = OpenCatalog(catalog);
    if (FAILED(hr)) {
        return hr;
    }
    CatalogueIdentity fresh;
    ComPtr<ISearchItemsChangedSink> sink;
    hr = catalog->GetItemsChangedSink(nullptr, IID_ISearchItemsChangedSink, sink.put_void(), &fresh.resetSignature,
                                      &fresh.checkpointSignature, &fresh.lastCheckpointNumber);
    if (FAILED(hr)) {
        return Traced(L"get the items-changed sink", hr);
    }
    *identity = fresh;
    return hr;
}

} // namespace brw
