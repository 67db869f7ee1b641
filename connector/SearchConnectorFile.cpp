#include "connector/SearchConnectorFile.h"

#include "common/ComHolders.h"
#include "common/DebugConsole.h"
#include "common/FailureTrail.h"
#include "common/WideString.h"

#include <msxml2.h>
#include <shlobj.h>

#include <new>

namespace brw::connectors {
namespace {

constexpr wchar_t kComponent[] = L"Search connector";
constexpr wchar_t kDomProgId[] = L"MSXML2.DOMDocument.3.0";
constexpr wchar_t kCreatorComment[] = L"Created by Brimlow Search";
// The folder type Explorer shows search results of a connector in, and the
// location provider that runs OpenSearch queries.
constexpr wchar_t kSearchResultsFolderType[] = L"{8FAF9629-1980-46FF-8023-9DCEAB9C3EE3}";
constexpr wchar_t kOpenSearchProvider[] = L"{48E277F6-4E74-4cd6-BA6F-FA4F42898223}";
constexpr wchar_t kMaximumResultCount[] = L"100";

HRESULT Logged(const wchar_t* step, HRESULT hr) noexcept
{
    LogHex0x(step, static_cast<unsigned>(hr));
    if (FAILED(hr)) {
        TraceFailure(kComponent, step, hr);
    }
    return hr;
}

// Builds the description element by element; every call reports the
// first failure and does nothing after one.
class ConnectorDocument {
public:
    HRESULT Create()
    {
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(kDomProgId, &clsid);
        if (SUCCEEDED(hr)) {
            hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument, document_.put_void());
        }
        return Logged(L"Createdoc", hr);
    }

    HRESULT Build(const ConnectorDescription& connector)
    {
        HRESULT hr = AppendProcessingInstruction();
        if (SUCCEEDED(hr)) {
            hr = AppendComment();
        }
        ComPtr<IXMLDOMNode> top;
        if (SUCCEEDED(hr)) {
            hr = Logged(L"createtopelement", NewElement(L"searchConnectorDescription", top));
        }
        if (SUCCEEDED(hr)) {
            hr = Logged(L"addprops", AppendDescription(top.get(), connector));
        }
        if (SUCCEEDED(hr)) {
            hr = Logged(L"append topmost", document_->appendChild(top.get(), nullptr));
        }
        return hr;
    }

    HRESULT Save(const std::wstring& path)
    {
        Bstr text(SysAllocString(path.c_str()));
        if (!text) {
            return E_OUTOFMEMORY;
        }
        VARIANT target;
        VariantInit(&target);
        target.vt = VT_BSTR;
        target.bstrVal = text.get();
        return Logged(L"save", document_->save(target));
    }

private:
    HRESULT AppendProcessingInstruction()
    {
        Bstr target(SysAllocString(L"xml"));
        Bstr data(SysAllocString(L"version='1.0'"));
        ComPtr<IXMLDOMProcessingInstruction> instruction;
        HRESULT hr = target && data
                         ? document_->createProcessingInstruction(target.get(), data.get(), instruction.put())
                         : E_OUTOFMEMORY;
        if (SUCCEEDED(hr)) {
            hr = document_->appendChild(instruction.get(), nullptr);
        }
        return Logged(L"addprocessinginstruction", hr);
    }

    HRESULT AppendComment()
    {
        Bstr text(SysAllocString(kCreatorComment));
        ComPtr<IXMLDOMComment> comment;
        HRESULT hr = text ? document_->createComment(text.get(), comment.put()) : E_OUTOFMEMORY;
        if (SUCCEEDED(hr)) {
            hr = document_->appendChild(comment.get(), nullptr);
        }
        return Logged(L"createcomment", hr);
    }

    // Every element is in the description namespace; one made without it
    // would be saved with xmlns="" and Explorer would not recognise it.
    HRESULT NewElement(const wchar_t* name, ComPtr<IXMLDOMNode>& element)
    {
        Bstr tag(SysAllocString(name));
        Bstr space(SysAllocString(kConnectorNamespace));
        if (!tag || !space) {
            return E_OUTOFMEMORY;
        }
        VARIANT type;
        VariantInit(&type);
        type.vt = VT_I4;
        type.lVal = NODE_ELEMENT;
        return document_->createNode(type, tag.get(), space.get(), element.put());
    }

    HRESULT AppendElement(IXMLDOMNode* parent, const wchar_t* name, ComPtr<IXMLDOMNode>& element)
    {
        HRESULT hr = NewElement(name, element);
        return SUCCEEDED(hr) ? parent->appendChild(element.get(), nullptr) : hr;
    }

    HRESULT AppendTextElement(IXMLDOMNode* parent, const wchar_t* name, const std::wstring& value)
    {
        ComPtr<IXMLDOMNode> element;
        Bstr text(SysAllocString(value.c_str()));
        HRESULT hr = text ? AppendElement(parent, name, element) : E_OUTOFMEMORY;
        if (SUCCEEDED(hr)) {
            hr = element->put_text(text.get());
        }
        return Logged(name, hr);
    }

    static HRESULT SetAttribute(IXMLDOMNode* node, const wchar_t* name, const wchar_t* value)
    {
        ComPtr<IXMLDOMElement> element;
        HRESULT hr = node->QueryInterface(IID_IXMLDOMElement, element.put_void());
        Bstr attribute(SysAllocString(name));
        Bstr text(SysAllocString(value));
        if (SUCCEEDED(hr) && (!attribute || !text)) {
            hr = E_OUTOFMEMORY;
        }
        if (SUCCEEDED(hr)) {
            VARIANT data;
            VariantInit(&data);
            data.vt = VT_BSTR;
            data.bstrVal = text.get();
            hr = element->setAttribute(attribute.get(), data);
        }
        return hr;
    }

    // A property of the bag: its name as an attribute, its value as CDATA
    // so that a query template's "&" and "{" stay exactly as typed.
    HRESULT AppendProperty(IXMLDOMNode* bag, const wchar_t* name, const std::wstring& value, const wchar_t* type)
    {
        ComPtr<IXMLDOMNode> property;
        HRESULT hr = AppendElement(bag, L"property", property);
        if (SUCCEEDED(hr)) {
            hr = SetAttribute(property.get(), L"name", name);
        }
        if (SUCCEEDED(hr) && type != nullptr) {
            hr = SetAttribute(property.get(), L"type", type);
        }
        Bstr text(SysAllocString(value.c_str()));
        ComPtr<IXMLDOMCDATASection> data;
        if (SUCCEEDED(hr)) {
            hr = text ? document_->createCDATASection(text.get(), data.put()) : E_OUTOFMEMORY;
        }
        if (SUCCEEDED(hr)) {
            hr = property->appendChild(data.get(), nullptr);
        }
        return Logged(name, hr);
    }

    HRESULT AppendLocationProvider(IXMLDOMNode* top, const ConnectorDescription& connector)
    {
        ComPtr<IXMLDOMNode> provider;
        ComPtr<IXMLDOMNode> bag;
        HRESULT hr = AppendElement(top, L"locationProvider", provider);
        if (SUCCEEDED(hr)) {
            hr = SetAttribute(provider.get(), L"clsid", kOpenSearchProvider);
        }
        if (SUCCEEDED(hr)) {
            hr = AppendElement(provider.get(), L"propertyBag", bag);
        }
        if (SUCCEEDED(hr)) {
            hr = AppendProperty(bag.get(), L"OpenSearchShortName", connector.name, nullptr);
        }
        if (SUCCEEDED(hr)) {
            hr = AppendProperty(bag.get(), L"OpenSearchQueryTemplate", OpenSearchQueryTemplate(connector), nullptr);
        }
        if (SUCCEEDED(hr)) {
            hr = AppendProperty(bag.get(), L"MaximumResultCount", kMaximumResultCount, L"uint32");
        }
        return Logged(L"append location provider", hr);
    }

    HRESULT AppendDescription(IXMLDOMNode* top, const ConnectorDescription& connector)
    {
        HRESULT hr = AppendTextElement(top, L"isSearchOnlyItem", L"true");
        if (SUCCEEDED(hr)) {
            hr = AppendTextElement(top, L"domain", connector.server);
        }
        if (SUCCEEDED(hr)) {
            hr = AppendTextElement(top, L"description", connector.name);
        }
        if (SUCCEEDED(hr)) {
            hr = AppendTextElement(top, L"supportsAdvancedQuerySyntax", L"false");
        }
        ComPtr<IXMLDOMNode> templateInfo;
        if (SUCCEEDED(hr)) {
            hr = AppendElement(top, L"templateInfo", templateInfo);
        }
        if (SUCCEEDED(hr)) {
            hr = Logged(L"append foldertype",
                        AppendTextElement(templateInfo.get(), L"folderType", kSearchResultsFolderType));
        }
        return SUCCEEDED(hr) ? AppendLocationProvider(top, connector) : hr;
    }

    ComPtr<IXMLDOMDocument> document_;
};

HRESULT KnownFolder(REFKNOWNFOLDERID id, std::wstring* path) noexcept
{
    CoTaskMemPtr<wchar_t> text;
    HRESULT hr = SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, text.put());
    if (SUCCEEDED(hr)) {
        try {
            *path = text.get();
        } catch (const std::bad_alloc&) {
            hr = E_OUTOFMEMORY;
        }
    }
    return hr;
}

} // namespace

HRESULT UserConnectorFolders(ConnectorFolders* folders) noexcept
{
    if (folders == nullptr) {
        return E_POINTER;
    }
    HRESULT hr = KnownFolder(FOLDERID_SavedSearches, &folders->searches);
    return SUCCEEDED(hr) ? KnownFolder(FOLDERID_Links, &folders->links) : hr;
}

std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name, const wchar_t* extension)
{
    std::wstring path = folder + L"\\" + name + extension;
    return path.size() < MAX_PATH ? path : std::wstring();
}

HRESULT SaveConnectorFile(const ConnectorDescription& connector, const std::wstring& path) noexcept
{
    try {
        ConnectorDocument document;
        HRESULT hr = document.Create();
        if (SUCCEEDED(hr)) {
            hr = document.Build(connector);
        }
        return SUCCEEDED(hr) ? document.Save(path) : hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT SaveShortcut(const std::wstring& linkPath, const std::wstring& target, const std::wstring& name) noexcept
{
    ComPtr<IShellLinkW> link;
    HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.put_void());
    if (SUCCEEDED(hr)) {
        hr = link->SetPath(target.c_str());
    }
    if (SUCCEEDED(hr)) {
        hr = link->SetDescription(name.c_str());
    }
    ComPtr<IPersistFile> file;
    if (SUCCEEDED(hr)) {
        hr = link.As(&file);
    }
    if (SUCCEEDED(hr)) {
        hr = file->Save(linkPath.c_str(), TRUE);
    }
    return hr;
}

ConnectorWriteResult WriteConnector(const ConnectorDescription& connector, const ConnectorFolders& folders,
                                    FavoriteLink link) noexcept
{
    ConnectorWriteResult result;
    try {
        result.filePath = PathInFolder(folders.searches, connector.name, kConnectorFileExtension);
        result.file =
            Logged(L"create path", result.filePath.empty() ? HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE) : S_OK);
        if (SUCCEEDED(result.file)) {
            result.file = SaveConnectorFile(connector, result.filePath);
        }
        if (FAILED(result.file) || link == FavoriteLink::Skip) {
            return result;
        }
        LogString(L"Create Favorite Link\n");
        const std::wstring linkPath = PathInFolder(folders.links, connector.name, kShortcutExtension);
        LogText(L"Target path", linkPath.c_str());
        result.shortcut = linkPath.empty() ? HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE)
                                           : SaveShortcut(linkPath, result.filePath, connector.name);
        if (FAILED(result.shortcut)) {
            LogString(FormatText(L"CreateFavoriteLink failed %s %s 0x%X\n", connector.name.c_str(),
                                 result.filePath.c_str(), static_cast<unsigned>(result.shortcut))
                          .c_str());
        }
    } catch (const std::bad_alloc&) {
        // Only the texts around the two saves allocate: before the file
        // was saved it failed; after, only the shortcut did.
        if (FAILED(result.file)) {
            result.file = E_OUTOFMEMORY;
        } else {
            result.shortcut = E_OUTOFMEMORY;
        }
    }
    return result;
}

std::wstring ConnectorErrorMessage(const ConnectorWriteResult& result)
{
    return FormatText(L"Error creating document to %s 0x%X", result.filePath.c_str(),
                      static_cast<unsigned>(result.file));
}

} // namespace brw::connectors
