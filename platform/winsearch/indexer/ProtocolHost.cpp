#include "platform/winsearch/indexer/ProtocolHost.h"

#include "common/WideString.h"
#include "platform/winsearch/indexer/FilterReader.h"
#include "platform/winsearch/indexer/HandlerSite.h"
#include "platform/winsearch/indexer/RegistryLookup.h"

#include <cwctype>

namespace brw::winsearch {

namespace {

// What a handler learns of the host in Init; the timeouts are the
// indexer's defaults, in seconds.
constexpr DWORD kConnectTimeoutSeconds = 20;
constexpr DWORD kDataTimeoutSeconds = 20;
constexpr DWORD kNameBuffer = 2048;

std::wstring Lower(std::wstring text)
{
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

// A buffer-filling getter's text, when it reports success with a length
// that fits its buffer.
template <typename Accessor>
std::wstring ReadName(Accessor* accessor, HRESULT (STDMETHODCALLTYPE Accessor::*getter)(WCHAR[], DWORD, DWORD*))
{
    WCHAR buffer[kNameBuffer + 1] = {};
    DWORD length = 0;
    if (FAILED((accessor->*getter)(buffer, kNameBuffer, &length))) {
        return std::wstring();
    }
    buffer[kNameBuffer] = L'\0';
    return std::wstring(buffer, std::min<size_t>(length, wcsnlen(buffer, kNameBuffer)));
}

std::wstring LastSegment(const std::wstring& path)
{
    std::wstring trimmed = path;
    while (!trimmed.empty() && (trimmed.back() == L'/' || trimmed.back() == L'\\')) {
        trimmed.pop_back();
    }
    const size_t slash = trimmed.find_last_of(L"/\\#");
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

std::wstring ExtensionOf(const std::wstring& name)
{
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? std::wstring() : name.substr(dot + 1);
}

void AddText(ItemRecord* record, const PROPERTYKEY& key, const std::wstring& text)
{
    if (!text.empty() && !record->Find(key)) {
        PropertyValue value;
        value.key = key;
        value.text = text;
        record->properties.push_back(std::move(value));
    }
}

HRESULT ReadStreamContent(IUrlAccessor* accessor, const std::wstring& fileName, GatherReply* reply)
{
    ComPtr<IStream> stream;
    HRESULT hr = accessor->BindToStream(stream.put());
    if (hr != S_OK || !stream) {
        return S_FALSE; // no stream: the handler's own filter is all there is
    }
    ComPtr<IFilter> filter;
    hr = FilterForExtension(ExtensionOf(fileName).c_str(), filter.put());
    if (FAILED(hr)) {
        return S_FALSE; // no filter for its type: properties only, as on Windows
    }
    hr = LoadFilterFromStream(filter.get(), stream.get());
    return SUCCEEDED(hr) ? ReadFilter(filter.get(), reply) : hr;
}

} // namespace

ProtocolHost::~ProtocolHost()
{
    for (auto& entry : handlers_) {
        entry.second->ShutDown();
    }
}

HRESULT ProtocolHost::HandlerFor(const std::wstring& url, ISearchProtocol** handler)
{
    const std::wstring scheme = Lower(SchemeOf(url));
    const auto found = handlers_.find(scheme);
    if (found != handlers_.end()) {
        return found->second.CopyTo(handler);
    }
    if (!site_) {
        const HRESULT hr = CreateHandlerSite(site_.put());
        if (FAILED(hr)) {
            return hr;
        }
    }
    CLSID clsid = CLSID_NULL;
    HRESULT hr = FindProtocolHandler(scheme, &clsid);
    ComPtr<ISearchProtocol> created;
    if (SUCCEEDED(hr)) {
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_ISearchProtocol, created.put_void());
    }
    if (SUCCEEDED(hr)) {
        TIMEOUT_INFO timeouts{sizeof(TIMEOUT_INFO), kConnectTimeoutSeconds, kDataTimeoutSeconds};
        PROXY_INFO proxy{};
        proxy.dwSize = sizeof(proxy);
        proxy.pcwszUserAgent = L"Windows Search";
        proxy.paUseProxy = PROXY_ACCESS_PRECONFIG;
        proxy.pcwszProxyName = L"";
        proxy.pcwszBypassList = L"";
        hr = created->Init(&timeouts, site_.get(), &proxy);
    }
    if (FAILED(hr)) {
        return hr;
    }
    hr = created.CopyTo(handler);
    handlers_.emplace(scheme, std::move(created));
    return hr;
}

void ProtocolHost::Gather(const GatherRequest& request, GatherReply* reply)
{
    reply->record.url = request.url;
    ComPtr<ISearchProtocol> handler;
    reply->status = HandlerFor(request.url, handler.put());
    if (FAILED(reply->status)) {
        reply->failure = L"no protocol handler";
        return;
    }
    GatherWith(handler.get(), request, reply);
}

void ProtocolHost::GatherWith(ISearchProtocol* handler, const GatherRequest& request, GatherReply* reply)
{
    AUTHENTICATION_INFO authentication{sizeof(AUTHENTICATION_INFO), eAUTH_TYPE_ANONYMOUS, nullptr, nullptr};
    INCREMENTAL_ACCESS_INFO incremental{};
    incremental.dwSize = sizeof(incremental);
    incremental.ftLastModifiedTime.dwLowDateTime = static_cast<DWORD>(request.knownLastModified);
    incremental.ftLastModifiedTime.dwHighDateTime = static_cast<DWORD>(request.knownLastModified >> 32);
    ITEM_INFO item{sizeof(ITEM_INFO), L"", L"Windows Search", L"SystemIndex", L""};
    ComPtr<IUrlAccessor> accessor;
    HRESULT hr = handler->CreateAccessor(request.url.c_str(), &authentication, &incremental, &item, accessor.put());
    if (FAILED(hr) || !accessor) {
        reply->status = FAILED(hr) ? hr : E_POINTER;
        reply->failure = L"CreateAccessor";
        return;
    }
    if (hr == PRTH_S_NOT_MODIFIED) {
        reply->notModified = true;
        reply->status = S_OK;
        handler->CloseAccessor(accessor.get());
        return;
    }
    ItemRecord& record = reply->record;
    record.isDirectory = accessor->IsDirectory() == S_OK;
    FILETIME modified{};
    if (SUCCEEDED(accessor->GetLastModified(&modified))) {
        record.lastModified = FileTimeToCount(modified);
    }
    ULONGLONG size = 0;
    if (SUCCEEDED(accessor->GetSize(&size))) {
        record.size = size;
    }
    const std::wstring fileName = ReadName(accessor.get(), &IUrlAccessor::GetFileName);
    // Asked as the indexer asks it; the catalogue shows the crawled URL.
    ComPtr<IUrlAccessor2> accessor2;
    if (SUCCEEDED(accessor->QueryInterface(IID_IUrlAccessor2, accessor2.put_void()))) {
        ReadName(accessor2.get(), &IUrlAccessor2::GetDisplayUrl);
    }
    // Directories are always processed; a document no newer than the
    // catalogue's copy is not read again.
    if (!record.isDirectory && request.knownLastModified && record.lastModified &&
        record.lastModified <= request.knownLastModified) {
        reply->notModified = true;
        reply->status = S_OK;
        handler->CloseAccessor(accessor.get());
        return;
    }
    hr = record.isDirectory ? S_FALSE : ReadStreamContent(accessor.get(), fileName, reply);
    if (SUCCEEDED(hr)) {
        ComPtr<IFilter> filter;
        const HRESULT bound = accessor->BindToFilter(filter.put());
        // E_NOTIMPL is a handler whose items are read through their stream.
        if (FAILED(bound) && bound != E_NOTIMPL) {
            hr = bound;
            reply->failure = L"BindToFilter";
        } else if (SUCCEEDED(bound) && filter) {
            hr = ReadFilter(filter.get(), reply);
            if (FAILED(hr)) {
                reply->failure = L"filter";
            }
        }
    } else {
        reply->failure = L"stream filter";
    }
    handler->CloseAccessor(accessor.get());
    AddText(&record, kKeyItemName, LastSegment(fileName.empty() ? request.url : fileName));
    reply->status = FAILED(hr) ? hr : S_OK;
}

} // namespace brw::winsearch
