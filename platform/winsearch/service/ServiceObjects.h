// The stand-in's COM objects. Only the search manager and the search root are
// creatable through the registry, as on Windows; the others are handed out
// by their parents.
#pragma once

#include "platform/winsearch/core/CrawlScope.h"

#include <searchapi.h>

#include <string>
#include <vector>

namespace brw::winsearch {

// Class table entries (CLSID_CSearchManager, CLSID_CSearchRoot).
HRESULT CreateSearchManager(IUnknown* outer, REFIID riid, void** ppv);
HRESULT CreateSearchRoot(IUnknown* outer, REFIID riid, void** ppv);

HRESULT CreateSearchRootFrom(const RootEntry& root, ISearchRoot** result);
HRESULT CreateRootEnumerator(std::vector<RootEntry> roots, IEnumSearchRoots** result);
HRESULT CreateCatalogManager(const std::wstring& folder, ISearchCatalogManager** result);
HRESULT CreateCrawlScopeManager(const std::wstring& folder, ISearchCrawlScopeManager** result);
HRESULT CreateItemsChangedSink(const std::wstring& folder, ISearchNotifyInlineSite* site, REFIID riid, void** ppv);

// Reads every property of any implementation of ISearchRoot.
HRESULT ReadRoot(ISearchRoot* source, RootEntry* root);

// The one catalogue Windows Search has.
constexpr wchar_t kCatalogName[] = L"SystemIndex";
// What GetCatalog answers for any other name (MSS_E_CATALOGNOTFOUND).
constexpr HRESULT kCatalogNotFound = static_cast<HRESULT>(0x80042103L);

} // namespace brw::winsearch
