#include "handler/shell/PreviewHandlerHost.h"

#include "common/ComHolders.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

namespace brw {
namespace {

// What the association is asked for: a class id in its registry form.
constexpr DWORD kClassIdTextUnits = 50;

HRESULT CreateThroughCom(REFCLSID clsid, DWORD context, REFIID riid, void** ppv)
{
    return CoCreateInstance(clsid, nullptr, context, riid, ppv);
}

} // namespace

HRESULT FindPreviewHandlerClass(const std::wstring& key, CLSID* clsid) noexcept
{
    ComPtr<IQueryAssociations> associations;
    HRESULT hr = AssocCreate(CLSID_QueryAssociations, IID_IQueryAssociations, associations.put_void());
    if (SUCCEEDED(hr)) {
        hr = associations->Init(0, key.c_str(), nullptr, nullptr);
    }
    wchar_t text[kClassIdTextUnits] = {};
    DWORD units = kClassIdTextUnits;
    if (SUCCEEDED(hr)) {
        hr =
            associations->GetString(ASSOCF_NOTRUNCATE, ASSOCSTR_SHELLEXTENSION, kPreviewHandlerExtension, text, &units);
    }
    if (SUCCEEDED(hr)) {
        hr = CLSIDFromString(text, clsid);
    }
    return hr;
}

HRESULT CreatePreviewHandler(const CLSID& clsid, ObjectCreator create, IPreviewHandler** handler) noexcept
{
    if (!handler) {
        return E_POINTER;
    }
    *handler = nullptr;
    const ObjectCreator creator = create ? create : &CreateThroughCom;
    const HRESULT outside = creator(clsid, CLSCTX_LOCAL_SERVER, IID_IPreviewHandler, reinterpret_cast<void**>(handler));
    if (SUCCEEDED(outside)) {
        return outside;
    }
    *handler = nullptr;
    return creator(clsid, CLSCTX_INPROC_SERVER, IID_IPreviewHandler, reinterpret_cast<void**>(handler));
}

} // namespace brw
