#pragma once
// Which requests the pipe may carry. The crawl runs for the life of the
// program on the connector's own crawl-start thread; a pipe client that could
// send crawl_databases would park the single pipe instance in a crawl that
// never returns, and start crawls for any sid it names.
#include <optional>
#include <string>
#include <string_view>

namespace brw {

inline constexpr wchar_t kCrawlCommandName[] = L"crawl_databases";

// The document element's name as the XML parser would report it, read past
// a byte order mark, white space, processing instructions and comments.
// Nothing when the text has no element there, or has a document type
// declaration (no request uses one, and its internal subset could hide the
// real element from a scan this small).
std::optional<std::wstring> RootElementName(std::wstring_view request);

// False for the crawl command and for any request whose command cannot be
// told; true for every other request, which the data service judges itself.
bool IsServedOverPipe(const wchar_t* request) noexcept;

} // namespace brw
