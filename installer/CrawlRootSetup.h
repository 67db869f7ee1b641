// The installing user's crawl root, added by the elevated part of the
// installation: Windows Search takes crawl-scope changes only from an
// elevated caller, which the connector, started at logon, is not. The
// connector adds the root again for every other user as far as Windows lets
// it.
#pragma once

#include <windows.h>

#include <string>

namespace brw {

// True for the text of a SID as ConvertSidToStringSid writes it ("S-1-5-21-
// ..."), at most 184 characters: the only form the installer's UserSID may
// take before it becomes part of a URL.
bool IsSidText(const std::wstring& text);

// "brw://{" + sid + "}/", the root the connector registers for that user.
std::wstring UserCrawlRootUrl(const std::wstring& sid);

// Adds the root with an including default rule and saves, unless the
// catalogue already includes it. S_OK also when it was there already.
// The calling thread must be in COM.
HRESULT AddCrawlRoot(const std::wstring& url) noexcept;

} // namespace brw
