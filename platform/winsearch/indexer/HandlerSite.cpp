#include "platform/winsearch/indexer/HandlerSite.h"

#include "common/ComObject.h"
#include "platform/winsearch/indexer/RegistryLookup.h"
#include "platform/winsearch/indexer/TextFilter.h"

#include <shlwapi.h>

#include <cwchar>

namespace brw::winsearch {

namespace {

constexpr size_t kMaxSelectorLength = 128;

bool Equals(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool IsUsable(const wchar_t* text)
{
    return text && *text && wcsnlen(text, kMaxSelectorLength + 1) <= kMaxSelectorLength;
}

HRESULT FilterForContentType(const wchar_t* type, IFilter** filter)
{
    if (Equals(type, L"text/plain")) {
        return CreateTextFilter(TextFormat::Plain, filter);
    }
    if (Equals(type, L"text/rtf") || Equals(type, L"application/rtf")) {
        return CreateTextFilter(TextFormat::Rtf, filter);
    }
    return REGDB_E_CLASSNOTREG;
}

// The types Windows gives its plain-text filter.
bool IsPlainTextExtension(const wchar_t* extension)
{
    return Equals(extension, L"txt") || Equals(extension, L"csv") || Equals(extension, L"log");
}

class HandlerSite final : public ComObject<IProtocolHandlerSite> {
public:
    // Content type first, then the class id, then the extension; the first
    // one given decides, as the platform documents.
    IFACEMETHODIMP GetFilter(CLSID* clsid, LPCWSTR contentType, LPCWSTR extension, IFilter** filter) override
    {
        if (!filter) {
            return E_POINTER;
        }
        *filter = nullptr;
        if (IsUsable(contentType)) {
            return FilterForContentType(contentType, filter);
        }
        if (clsid && !IsEqualCLSID(*clsid, CLSID_NULL)) {
            return CoCreateInstance(*clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IFilter,
                                    reinterpret_cast<void**>(filter));
        }
        if (extension && wcsnlen(extension, kMaxSelectorLength + 1) <= kMaxSelectorLength) {
            return FilterForExtension(extension, filter);
        }
        return E_INVALIDARG;
    }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(HandlerSite, IProtocolHandlerSite), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }
};

} // namespace

HRESULT FilterForExtension(const wchar_t* extension, IFilter** filter)
{
    if (!filter) {
        return E_POINTER;
    }
    *filter = nullptr;
    if (!extension) {
        return E_INVALIDARG;
    }
    if (*extension == L'.') {
        ++extension;
    }
    if (IsPlainTextExtension(extension)) {
        return CreateTextFilter(TextFormat::Plain, filter);
    }
    if (Equals(extension, L"rtf")) {
        return CreateTextFilter(TextFormat::Rtf, filter);
    }
    CLSID clsid = CLSID_NULL;
    const HRESULT hr = FindFilterForExtension(extension, &clsid);
    if (hr == REGDB_E_CLASSNOTREG) {
        // Windows indexes a type without a filter by its properties alone,
        // through a filter that gives no text; it does not fail the item.
        return CreateTextFilter(TextFormat::PropertiesOnly, filter);
    }
    if (FAILED(hr)) {
        return hr;
    }
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IFilter, reinterpret_cast<void**>(filter));
}

HRESULT CreateHandlerSite(IProtocolHandlerSite** site)
{
    return InitializeAndQuery(new (std::nothrow) HandlerSite(), IID_IProtocolHandlerSite,
                              reinterpret_cast<void**>(site));
}

} // namespace brw::winsearch
