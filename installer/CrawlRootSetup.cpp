#include "installer/CrawlRootSetup.h"

#include "common/ComHolders.h"
#include "handler/protocol/BrwUrl.h"

#include <searchapi.h>

#include <new>

namespace brw {
namespace {

// Windows Search runs as a service: its manager is normally a local server.
constexpr DWORD kSearchManagerContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;
constexpr wchar_t kCatalogName[] = L"SystemIndex";
// The longest SID text: "S-1-" + a 48-bit authority + 15 sub-authorities.
constexpr std::size_t kMaxSidText = 184;

HRESULT OpenCrawlScope(ComPtr<ISearchCrawlScopeManager>& scope) noexcept
{
    ComPtr<ISearchManager> manager;
    HRESULT hr =
        CoCreateInstance(CLSID_CSearchManager, nullptr, kSearchManagerContext, IID_ISearchManager, manager.put_void());
    ComPtr<ISearchCatalogManager> catalog;
    if (SUCCEEDED(hr)) {
        hr = manager->GetCatalog(kCatalogName, catalog.put());
    }
    if (SUCCEEDED(hr)) {
        hr = catalog->GetCrawlScopeManager(scope.put());
    }
    return hr;
}

// A tree that tells the indexer about its changes itself, as the connector
// registers it.
HRESULT StageRoot(ISearchCrawlScopeManager* scope, const wchar_t* url) noexcept
{
    ComPtr<ISearchRoot> root;
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
    if (SUCCEEDED(hr)) {
        hr = scope->AddRoot(root.get());
    }
    if (SUCCEEDED(hr)) {
        constexpr BOOL kInclude = TRUE;
        constexpr BOOL kDefaultRule = TRUE; // the user may override it
        constexpr BOOL kOverrideChildren = FALSE;
        hr = scope->AddHierarchicalScope(url, kInclude, kDefaultRule, kOverrideChildren);
    }
    return hr;
}

} // namespace

bool IsSidText(const std::wstring& text)
{
    if (text.size() < 5 || text.size() > kMaxSidText || text.compare(0, 4, L"S-1-") != 0) {
        return false;
    }
    bool digitBefore = false;
    for (std::size_t i = 4; i < text.size(); ++i) {
        if (text[i] == L'-') {
            if (!digitBefore) {
                return false;
            }
            digitBefore = false;
        } else if (text[i] >= L'0' && text[i] <= L'9') {
            digitBefore = true;
        } else {
            return false;
        }
    }
    return digitBefore;
}

std::wstring UserCrawlRootUrl(const std::wstring& sid)
{
    // The identity text is "{" + SID + "}", as the connector writes it.
    return std::wstring(kBrwScheme) + L"{" + sid + L"}/";
}

HRESULT AddCrawlRoot(const std::wstring& url) noexcept
{
    ComPtr<ISearchCrawlScopeManager> scope;
    HRESULT hr = OpenCrawlScope(scope);
    BOOL included = FALSE;
    if (SUCCEEDED(hr)) {
        hr = scope->IncludedInCrawlScope(url.c_str(), &included);
    }
    if (FAILED(hr) || included) {
        return hr;
    }
    hr = StageRoot(scope.get(), url.c_str());
    return SUCCEEDED(hr) ? scope->SaveAll() : hr;
}

} // namespace brw
