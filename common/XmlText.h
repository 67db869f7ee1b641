// Text written into an XML document we generate ourselves: the pipe's
// requests and the installer's registration data.
#pragma once

#include <string>
#include <string_view>

namespace brw {

// text as an attribute value in double or single quotes, which also serves
// as element content: "&", "<", ">", '"' and "'" become entities, so no
// value can close its attribute or open markup. Tab, line feed and carriage
// return become character references, because a parser turns them into
// blanks inside an attribute. Everything else stays as it is, surrogate pairs
// included; the other C0 controls have no XML 1.0 form at all, so a document
// holding one is refused by its reader rather than changed here.
std::wstring XmlAttributeText(std::wstring_view text);

} // namespace brw
