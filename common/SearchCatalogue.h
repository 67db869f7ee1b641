#pragma once
// The way to the system catalogue of Windows Search: the search manager,
// then its catalogue "SystemIndex" and its crawl scope. The crawl, the
// connector's crawl root and index exclusion, the handler's registration and
// the index change monitor all reach the catalogue through here.
#include "common/ComHolders.h"

#include <windows.h>
#include <searchapi.h>

namespace brw {

inline constexpr wchar_t kSystemCatalogueName[] = L"SystemIndex";

// Windows Search runs as a service, so the manager is normally a local
// server; in-process and remote servers are accepted as well.
inline constexpr DWORD kSearchManagerContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER;

// The catalogue manager of "SystemIndex", or the failure of creating the
// manager or of asking it for the catalogue. A manager that answers success
// without a catalogue gives E_POINTER. The manager itself is released: the
// catalogue lives on by itself.
HRESULT OpenSystemCatalogue(ComPtr<ISearchCatalogManager>& catalogue) noexcept;

// The crawl scope manager of "SystemIndex", through OpenSystemCatalogue;
// a catalogue that answers success without one gives E_POINTER.
HRESULT OpenSystemCrawlScope(ComPtr<ISearchCrawlScopeManager>& scope) noexcept;

} // namespace brw
