#include "handler/module/CrawlRoots.h"

#include "common/ComHolders.h"
#include "common/SearchCatalogue.h"
#include "common/WideString.h"
#include "handler/module/ComForThisCall.h"
#include "handler/protocol/BrwUrl.h"

#include <searchapi.h>

#include <new>
#include <string>
#include <vector>

namespace brw {
namespace {

// The URLs first, removals after: removing while enumerating would change
// what the enumerator walks.
std::vector<std::wstring> BrwRootUrls(ISearchCrawlScopeManager* scope)
{
    std::vector<std::wstring> urls;
    ComPtr<IEnumSearchRoots> roots;
    if (FAILED(scope->EnumerateRoots(roots.put())) || !roots) {
        return urls;
    }
    for (;;) {
        ComPtr<ISearchRoot> root;
        ULONG fetched = 0;
        if (roots->Next(1, root.put(), &fetched) != S_OK || fetched != 1 || !root) {
            break;
        }
        wchar_t* url = nullptr;
        if (SUCCEEDED(root->get_RootURL(&url)) && url) {
            CoTaskMemPtr<wchar_t> owned(url);
            if (StartsWithNoCase(owned.get(), kBrwScheme)) {
                urls.emplace_back(owned.get());
            }
        }
    }
    return urls;
}

void RemoveRoots()
{
    ComPtr<ISearchCrawlScopeManager> scope;
    if (FAILED(OpenSystemCrawlScope(scope))) {
        return;
    }
    int removed = 0;
    for (const std::wstring& url : BrwRootUrls(scope.get())) {
        if (scope->RemoveRoot(url.c_str()) == S_OK) {
            ++removed;
        }
    }
    if (removed > 0) {
        scope->SaveAll();
    }
}

} // namespace

void RemoveOldCrawlRoots() noexcept
{
    try {
        ComForThisCall com;
        RemoveRoots();
    } catch (const std::bad_alloc&) {
        // Registration's result does not depend on the clean-up.
    }
}

} // namespace brw
