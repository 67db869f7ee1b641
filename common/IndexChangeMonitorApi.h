// The index change monitor as its one caller sees it: the class, the
// interface and its two methods. BRWMon32 implements it; the data service's
// crawl creates it by class id. Both are 32-bit and include this header.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace brw {

// {B0A2B121-FFF6-41A3-A428-F18CA0B035AF}
constexpr CLSID kIndexChangeMonitorClsid = {
    0xB0A2B121, 0xFFF6, 0x41A3, {0xA4, 0x28, 0xF1, 0x8C, 0xA0, 0xB0, 0x35, 0xAF}};
// {FD6C6402-82EE-4CA8-8917-371065450AEB}
constexpr IID IID_IIndexChangeMonitor = {0xFD6C6402, 0x82EE, 0x4CA8, {0x89, 0x17, 0x37, 0x10, 0x65, 0x45, 0x0A, 0xEB}};

// Derived from IUnknown, not dual: the vtable is IUnknown's three slots and
// then these two, in this order.
struct IIndexChangeMonitor : public IUnknown {
    // S_OK when the catalogue was reset since the last Commit, S_FALSE when
    // it was not or cannot be asked.
    virtual HRESULT STDMETHODCALLTYPE HasIndexBeenReset() = 0;
    // Adopts the catalogue identity seen by the last HasIndexBeenReset, unless
    // the catalogue was reset again since; the identity query's HRESULT.
    virtual HRESULT STDMETHODCALLTYPE Commit() = 0;
};

} // namespace brw

__CRT_UUID_DECL(brw::IIndexChangeMonitor, 0xFD6C6402, 0x82EE, 0x4CA8, 0x89, 0x17, 0x37, 0x10, 0x65, 0x45, 0x0A, 0xEB)
