#pragma once
// A command request as the DOM reads it: the document element and its
// attributes. Requests come over the pipe from other processes, so nothing
// here trusts their shape.
#include "common/ComHolders.h"

#include <windows.h>
#include <msxml2.h>

#include <string>

namespace brw {

class DomClass;

class RequestXml {
public:
    // Parses request; false when the DOM cannot be made, the text is not
    // XML, or there is no document element. The DOM comes from domClass
    // when one is given.
    bool Load(const wchar_t* request, DomClass* domClass = nullptr);

    const std::wstring& CommandName() const { return name_; }
    IXMLDOMElement* Element() const { return element_.get(); }

private:
    ComPtr<IXMLDOMDocument> document_;
    ComPtr<IXMLDOMElement> element_;
    std::wstring name_;
};

// The attribute's text, or the default when it is missing or unreadable.
std::wstring ReadTextAttribute(IXMLDOMElement* element, const wchar_t* name, const std::wstring& fallback);
// Whether the attribute is present with readable text at all.
bool HasAttribute(IXMLDOMElement* element, const wchar_t* name);
// True when the text is "true" in any letter case; any other text, and
// absence, give the default (so initthread="false" still means true).
bool ReadBoolAttribute(IXMLDOMElement* element, const wchar_t* name, bool fallback);

} // namespace brw
