#pragma once
// The words a reader sees in an HTML part: markup, comments, scripts and
// style sheets taken away, character references resolved, block elements
// kept apart by a blank so their words do not run together.
#include <string>

namespace brw::mime {

std::wstring VisibleTextOfHtml(const std::wstring& html);

} // namespace brw::mime
