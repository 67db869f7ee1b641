#include "connector/CrawlRoot.h"

#include "common/ComHolders.h"
#include "common/SearchCatalogue.h"
#include "connector/UserIdentity.h"

#include <searchapi.h>

#include <new>

namespace brw {
namespace {

HRESULT OpenCrawlScope(ComPtr<ISearchCrawlScopeManager>& scope) noexcept
{
    ComPtr<ISearchCatalogManager> catalog;
    const HRESULT hr = OpenSystemCatalogue(catalog);
    return FAILED(hr) ? hr : catalog->GetCrawlScopeManager(scope.put());
}

// Only a definite "not included" leads to adding the root: a scope that
// cannot be asked is left as it is.
bool NeedsRoot(ISearchCrawlScopeManager* scope, const wchar_t* url) noexcept
{
    BOOL included = FALSE;
    return SUCCEEDED(scope->IncludedInCrawlScope(url, &included)) && included == FALSE;
}

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

// Failures before the save are the catalogue's business, not the
// connector's: the registration counts as done and the connector serves on.
HRESULT RegisterUrl(const wchar_t* url) noexcept
{
    ComPtr<ISearchCrawlScopeManager> scope;
    if (FAILED(OpenCrawlScope(scope)) || !NeedsRoot(scope.get(), url) || FAILED(StageRoot(scope.get(), url))) {
        return S_OK;
    }
    const HRESULT hr = scope->SaveAll();
    return SUCCEEDED(hr) ? S_OK : hr;
}

} // namespace

std::wstring CrawlRootUrl(const std::wstring& identity)
{
    return kCrawlRootScheme + identity + L"/";
}

HRESULT RegisterCrawlRoot() noexcept
{
    wchar_t identity[kUserIdentityCapacity];
    const int status = UserIdentityText(identity);
    if (status != 0) {
        return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
    }
    try {
        const std::wstring url = CrawlRootUrl(identity);
        return RegisterUrl(url.c_str());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace brw
