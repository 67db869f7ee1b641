#include "connector/IndexExclusion.h"

#include "common/BrwUrlText.h"
#include "common/ComHolders.h"
#include "common/FailureTrail.h"
#include "common/SearchCatalogue.h"
#include "connector/CrawlRoot.h"

#include <searchapi.h>

#include <new>

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"Index exclusion";
// AddUserScopeRule's flags, named: an excluding rule that also replaces any
// rule the user had below the database.
constexpr BOOL kExcludeRule = FALSE;
constexpr BOOL kOverrideChildren = TRUE;

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
        HRESULT hr = OpenSystemCrawlScope(scope);
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
        HRESULT hr = OpenSystemCrawlScope(scope);
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
