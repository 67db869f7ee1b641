#pragma once
// The user's crawl root in the Windows Search catalogue: the one brw URL the
// indexer starts from, and the scope below which the crawl's change
// notifications fall.
#include <windows.h>

#include <string>

namespace brw {

inline constexpr wchar_t kCrawlRootScheme[] = L"brw://";
inline constexpr wchar_t kSearchCatalogName[] = L"SystemIndex";

// "brw://" + identity + "/".
std::wstring CrawlRootUrl(const std::wstring& identity);

// Puts the current user's crawl root into SystemIndex's crawl scope unless
// the catalogue already includes it: adds the root and an including default
// scope rule, then saves. The calling thread must have entered COM
// (CoInitializeEx) and stay in it for the call.
//
// A machine without Windows Search, or one that refuses any step before the
// save, must not keep the connector from serving, so every such failure
// counts as done (S_OK). Failures: the identity text cannot be obtained
// (HRESULT_FROM_WIN32 of its code), or SaveAll was called and failed (its
// HRESULT).
HRESULT RegisterCrawlRoot() noexcept;

} // namespace brw
