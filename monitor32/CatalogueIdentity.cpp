#include "monitor32/CatalogueIdentity.h"

#include "common/ComHolders.h"
#include "common/FailureTrail.h"

#include <windows.h>
#include <searchapi.h>

namespace brw {
namespace {

constexpr wchar_t kCatalogName[] = L"SystemIndex";
// The manager lives in the search service on Windows; any server that
// offers the class will do.
constexpr DWORD kSearchManagerContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

HRESULT Traced(const wchar_t* step, HRESULT hr) noexcept
{
    if (FAILED(hr)) {
        TraceFailure(L"Index change monitor", step, hr);
    }
    return hr;
}

HRESULT OpenCatalog(ComPtr<ISearchCatalogManager>& catalog) noexcept
{
    ComPtr<ISearchManager> manager;
    HRESULT hr =
        CoCreateInstance(CLSID_CSearchManager, nullptr, kSearchManagerContext, IID_ISearchManager, manager.put_void());
    if (FAILED(hr)) {
        return Traced(L"create the search manager", hr);
    }
    hr = manager->GetCatalog(kCatalogName, catalog.put());
    if (SUCCEEDED(hr) && !catalog) {
        hr = E_POINTER;
    }
    return Traced(L"open the catalogue", hr);
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
