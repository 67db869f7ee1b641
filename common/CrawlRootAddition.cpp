#include "common/CrawlRootAddition.h"

#include "common/ComHolders.h"
#include "common/SearchCatalogue.h"

#include <searchapi.h>

namespace brw {
namespace {

// A root that tells the indexer about changes itself and is walked as a tree.
HRESULT MakeRoot(const wchar_t* url, ComPtr<ISearchRoot>& root) noexcept
{
    HRESULT hr = CoCreateInstance(CLSID_CSearchRoot, nullptr, CLSCTX_ALL, IID_ISearchRoot, root.put_void());
    if (SUCCEEDED(hr)) {
        hr = root->put_RootURL(url);
    }
    if (SUCCEEDED(hr)) {
        hr = root->put_ProvidesNotifications(TRUE);
    }
    if (SUCCEEDED(hr)) {
        hr = root->put_IsHierarchical(TRUE);
    }
    if (SUCCEEDED(hr)) {
        hr = root->put_UseNotificationsOnly(FALSE);
    }
    if (SUCCEEDED(hr)) {
        hr = root->put_FollowDirectories(TRUE);
    }
    return hr;
}

// The root and its including default rule, not yet saved.
HRESULT StageRoot(ISearchCrawlScopeManager* scope, const wchar_t* url) noexcept
{
    ComPtr<ISearchRoot> root;
    HRESULT hr = MakeRoot(url, root);
    if (SUCCEEDED(hr)) {
        hr = scope->AddRoot(root.get());
    }
    if (SUCCEEDED(hr)) {
        constexpr BOOL kInclude = TRUE;           // an inclusion rule, not an exclusion
        constexpr BOOL kDefaultRule = TRUE;       // the user may override it
        constexpr BOOL kOverrideChildren = FALSE; // rules below the root stay as they are
        hr = scope->AddHierarchicalScope(url, kInclude, kDefaultRule, kOverrideChildren);
    }
    return hr;
}

} // namespace

CrawlRootAddition AddCrawlRootUnlessIncluded(const wchar_t* url) noexcept
{
    CrawlRootAddition result;
    ComPtr<ISearchCrawlScopeManager> scope;
    result.beforeSave = OpenSystemCrawlScope(scope);
    BOOL included = FALSE;
    if (SUCCEEDED(result.beforeSave)) {
        result.beforeSave = scope->IncludedInCrawlScope(url, &included);
    }
    if (FAILED(result.beforeSave) || included != FALSE) {
        return result;
    }
    result.beforeSave = StageRoot(scope.get(), url);
    if (SUCCEEDED(result.beforeSave)) {
        result.save = scope->SaveAll();
    }
    return result;
}

} // namespace brw
