// Filters made by the URL handlers: created, given their item, then handed
// out as IFilter; a failed set-up leaves nothing behind.
#pragma once
#include <windows.h>
#include <filter.h>

#include <new>

namespace brw {

template <typename T, typename Setup>
HRESULT CreateFilter(Setup&& setup, IFilter** filter) noexcept
{
    if (!filter) {
        return E_POINTER;
    }
    *filter = nullptr;
    T* object = new (std::nothrow) T();
    if (!object) {
        return E_OUTOFMEMORY;
    }
    IUnknown* inner = object->InnerUnknown();
    HRESULT hr = setup(*object);
    if (SUCCEEDED(hr)) {
        hr = inner->QueryInterface(IID_IFilter, reinterpret_cast<void**>(filter));
    }
    inner->Release();
    return hr;
}

} // namespace brw
