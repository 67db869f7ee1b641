#pragma once
// Adding a brw crawl root to the system catalogue's crawl scope, as the
// connector does for its user at every start and the installer's elevated
// custom action does for the installing user. Both add the same kind of
// root; each judges a failure its own way, so the steps' results are
// reported apart.
#include <windows.h>

namespace brw {

struct CrawlRootAddition {
    // The first failure of opening the crawl scope, asking whether the URL
    // is included, or staging the root and its rule; S_OK otherwise.
    HRESULT beforeSave = S_OK;
    // SaveAll's result as it came; S_OK when SaveAll was not called (the
    // URL was included already, or a step before it failed).
    HRESULT save = S_OK;
};

// Unless SystemIndex's crawl scope includes url already: adds it as a
// hierarchical root that tells the indexer about its changes itself and is
// still crawled, with an including default rule the user may override, and
// saves. A scope that cannot say whether it includes url is left as it is.
// The calling thread must have entered COM and stay in it for the call.
CrawlRootAddition AddCrawlRootUnlessIncluded(const wchar_t* url) noexcept;

} // namespace brw
