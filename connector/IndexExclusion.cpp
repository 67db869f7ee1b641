#include "connector/IndexExclusion.h"

#include "common/BrwUrlText.h"
#include "common/ComHolders.h"
#include "common/FailureTrail.h"
#include "connector/CrawlRoot.h"

#include <searchapi.h>

#include <new>

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"Index exclusion";
constexpr DWORD kSearchManagerContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
// AddUserScopeRule's flags, named: an excluding rule that also replaces any
// rule the user had below the database.
constexpr BOOL kExcludeRule = FALSE;
constexpr BOOL kOverrideChildren = TRUE;

HRESULT OpenScope(ComPtr<ISearchCrawlScopeManager>& scope)
{
    ComPtr<ISearchManager> manager;
    HRESULT hr =
        CoCreateInstance(CLSID_CSearchManager, nullptr, kSearchManagerContext, IID_ISearchManager, manager.put_void());
    ComPtr<ISearchCatalogManager> catalog;
    if (SUCCEEDED(hr)) {
        hr = manager->GetCatalog(kSearchCatalogName, catalog.put());
    }
    return SUCCEEDED(hr) ? catalog->GetCrawlScopeManager(scope.put()) : hr;
}

} // namespace

std::wstring DatabaseScopeUrl(const std::wstring& identity, const std::wstring& databasePath,
                              const std::wstring& dataDirectory)
{
    return CrawlRootUrl(identity) + BrwUrlDatabasePart(databasePath, dataDirectory) + L"/";
}

CrawlScopeExclusion::CrawlScopeExclusion(std::wstring identity, std::wstring dataDirectory)
    : identity_(std::move(identity)), dataDirectory_(std::move(dataDirectory))
{
}

HRESULT CrawlScopeExclusion::Exclude(const std::wstring& databasePath)
{
    try {
        const std::wstring url = DatabaseScopeUrl(identity_, databasePath, dataDirectory_);
        ComPtr<ISearchCrawlScopeManager> scope;
        HRESULT hr = OpenScope(scope);
        if (SUCCEEDED(hr)) {
            hr = scope->AddUserScopeRule(url.c_str(), kExcludeRule, kOverrideChildren, FF_INDEXCOMPLEXURLS);
        }
        if (SUCCEEDED(hr)) {
            hr = scope->SaveAll();
        }
        if (FAILED(hr)) {
            TraceFailure(kComponent, L"exclude", hr);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT CrawlScopeExclusion::Include(const std::wstring& databasePath)
{
    try {
        const std::wstring url = DatabaseScopeUrl(identity_, databasePath, dataDirectory_);
        ComPtr<ISearchCrawlScopeManager> scope;
        HRESULT hr = OpenScope(scope);
        if (SUCCEEDED(hr)) {
            hr = scope->RemoveScopeRule(url.c_str());
        }
        // S_FALSE: there was no rule, so nothing to save.
        if (hr == S_OK) {
            hr = scope->SaveAll();
        }
        if (FAILED(hr)) {
            TraceFailure(kComponent, L"include", hr);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace brw
