// The text of an RTF document: control words and destinations that carry no
// text (font tables, pictures, "\*" groups) are dropped, \par and \line
// become line breaks, \'hh and \uN become their characters.
#pragma once

#include <string>
#include <string_view>

namespace brw::winsearch {

std::wstring RtfToText(std::string_view rtf);

} // namespace brw::winsearch
