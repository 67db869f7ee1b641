#pragma once
// Header bodies as a reader sees them: encoded words decoded, folding
// undone, and address lists split into their addresses.
#include <string>
#include <string_view>
#include <vector>

namespace brw::mime {

// Encoded words (=?charset?B|Q?...?=) decoded; the blanks between two
// adjacent encoded words dropped; line folding replaced by a blank. A word
// that is malformed stays as it was written.
std::wstring DecodeHeaderText(std::string_view body);

// The addresses of an address list, each decoded and trimmed, with the
// display name unquoted: `"Berg, Anna" <anna@example.com>` gives
// `Berg, Anna <anna@example.com>`. Commas inside quotes, angle brackets and
// comments do not split. Empty entries are left out.
std::vector<std::wstring> SplitAddresses(std::string_view body);

} // namespace brw::mime
