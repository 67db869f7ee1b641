// A placeholder automation object: a dual interface of no operations of its
// own, answered through the module's type library.
#pragma once
#include "common/ComObject.h"

#include <windows.h>
#include <oaidl.h>

namespace brw {

// {D750EBDE-D893-4BE8-B588-02FD8F68718B}
struct IIndexNotifier : public IDispatch {};
constexpr IID IID_IIndexNotifier = {0xD750EBDE, 0xD893, 0x4BE8, {0xB5, 0x88, 0x02, 0xFD, 0x8F, 0x68, 0x71, 0x8B}};
// {BE32495C-4A83-4BFF-9529-7C3254A202FF}
constexpr CLSID kIndexNotifierClsid = {0xBE32495C, 0x4A83, 0x4BFF, {0x95, 0x29, 0x7C, 0x32, 0x54, 0xA2, 0x02, 0xFF}};
// BRWHandlerLib, "BRWHandler 1.0 Type Library"
constexpr GUID kHandlerTypeLibraryId = {0xC7B215A5, 0x9B26, 0x4278, {0x8D, 0x6C, 0xBC, 0x20, 0x6F, 0xE8, 0x75, 0xAF}};

class CIndexNotifier final : public ComObject<IIndexNotifier> {
public:
    CIndexNotifier() noexcept = default;

    IFACEMETHODIMP GetTypeInfoCount(UINT* pctinfo) override;
    IFACEMETHODIMP GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo) override;
    IFACEMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId) override;
    IFACEMETHODIMP Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                          VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CIndexNotifier() override = default;
};

} // namespace brw

__CRT_UUID_DECL(brw::IIndexNotifier, 0xD750EBDE, 0xD893, 0x4BE8, 0xB5, 0x88, 0x02, 0xFD, 0x8F, 0x68, 0x71, 0x8B)
