#include "notesdata/commands/RequestXml.h"

#include "notesdata/commands/DomClass.h"

#include <cwchar>
#include <optional>

namespace brw {
namespace {

// IXMLDOMDocument2, which carries the parser's named properties.
constexpr IID kDomDocumentPropertiesInterface = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

// No request of the protocol declares a document type. A declaration is
// how a request would make the parser read other files or machines
// (external entities) or expand entities without bound, so any text that
// carries one is refused before the parser sees it.
constexpr const wchar_t* kRefusedMarkup[] = {L"<!DOCTYPE", L"<!ENTITY"};
constexpr wchar_t kProhibitDtd[] = L"ProhibitDTD";

bool DeclaresDocumentType(const wchar_t* request)
{
    for (const wchar_t* markup : kRefusedMarkup) {
        if (wcsstr(request, markup) != nullptr) {
            return true;
        }
    }
    return false;
}

// The parser neither fetches nor validates against anything outside the
// request; a parser that cannot be told so parses nothing. MSXML 3 on
// Windows also takes ProhibitDTD and then refuses any declaration itself;
// a build that does not know the property may refuse or ignore it, so its
// result does not matter: the text check above refused declarations first.
bool ConfineParser(IXMLDOMDocument* document)
{
    if (document->put_resolveExternals(VARIANT_FALSE) != S_OK || document->put_validateOnParse(VARIANT_FALSE) != S_OK) {
        return false;
    }
    ComPtr<IXMLDOMDocument2> withProperties;
    Bstr property(SysAllocString(kProhibitDtd));
    if (property && SUCCEEDED(document->QueryInterface(kDomDocumentPropertiesInterface,
                                                       reinterpret_cast<void**>(withProperties.put())))) {
        VARIANT prohibit;
        VariantInit(&prohibit);
        prohibit.vt = VT_BOOL;
        prohibit.boolVal = VARIANT_TRUE;
        withProperties->setProperty(property.get(), prohibit);
    }
    return true;
}

std::optional<std::wstring> AttributeText(IXMLDOMElement* element, const wchar_t* name)
{
    if (element == nullptr || name == nullptr) {
        return std::nullopt;
    }
    Bstr attributeName(SysAllocString(name));
    if (!attributeName) {
        return std::nullopt;
    }
    ComPtr<IXMLDOMAttribute> attribute;
    if (element->getAttributeNode(attributeName.get(), attribute.put()) != S_OK || !attribute) {
        return std::nullopt;
    }
    Bstr text;
    if (attribute->get_text(text.put()) != S_OK) {
        return std::nullopt;
    }
    return text ? std::wstring(text.get(), SysStringLen(text.get())) : std::wstring();
}

} // namespace

bool RequestXml::Load(const wchar_t* request, DomClass* domClass)
{
    if (request == nullptr || DeclaresDocumentType(request)) {
        return false;
    }
    const HRESULT created = domClass
                                ? domClass->CreateDocument(document_.put())
                                : CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER,
                                                   kDomDocumentInterface, reinterpret_cast<void**>(document_.put()));
    if (FAILED(created) || !document_ || !ConfineParser(document_.get())) {
        return false;
    }
    Bstr text(SysAllocString(request));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    if (!text || document_->loadXML(text.get(), &loaded) != S_OK || loaded != VARIANT_TRUE) {
        return false;
    }
    Bstr nodeName;
    if (document_->get_documentElement(element_.put()) != S_OK || !element_ ||
        element_->get_nodeName(nodeName.put()) != S_OK || !nodeName) {
        return false;
    }
    name_.assign(nodeName.get(), SysStringLen(nodeName.get()));
    return true;
}

std::wstring ReadTextAttribute(IXMLDOMElement* element, const wchar_t* name, const std::wstring& fallback)
{
    std::optional<std::wstring> text = AttributeText(element, name);
    return text ? *text : fallback;
}

bool HasAttribute(IXMLDOMElement* element, const wchar_t* name)
{
    return AttributeText(element, name).has_value();
}

bool ReadBoolAttribute(IXMLDOMElement* element, const wchar_t* name, bool fallback)
{
    std::optional<std::wstring> text = AttributeText(element, name);
    if (text && CompareStringOrdinal(text->c_str(), -1, L"true", -1, TRUE) == CSTR_EQUAL) {
        return true;
    }
    return fallback;
}

} // namespace brw
