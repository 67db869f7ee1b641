#include "handler/module/IndexNotifier.h"

#include "common/ComHolders.h"

#include <oleauto.h>
#include <shlwapi.h>

namespace brw {
namespace {

// Registration does not register the library, so this fails with the type
// library's error unless something else registered it.
HRESULT LoadNotifierTypeInfo(LCID lcid, ITypeInfo** info)
{
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(kHandlerTypeLibraryId, 1, 0, lcid, library.put());
    if (FAILED(hr)) {
        return hr;
    }
    return library->GetTypeInfoOfGuid(IID_IIndexNotifier, info);
}

} // namespace

IFACEMETHODIMP CIndexNotifier::GetTypeInfoCount(UINT* pctinfo)
{
    if (!pctinfo) {
        return E_POINTER;
    }
    *pctinfo = 1;
    return S_OK;
}

IFACEMETHODIMP CIndexNotifier::GetTypeInfo(UINT iTInfo, LCID lcid, ITypeInfo** ppTInfo)
{
    if (!ppTInfo) {
        return E_POINTER;
    }
    *ppTInfo = nullptr;
    if (iTInfo != 0) {
        return DISP_E_BADINDEX;
    }
    return LoadNotifierTypeInfo(lcid, ppTInfo);
}

IFACEMETHODIMP CIndexNotifier::GetIDsOfNames(REFIID, LPOLESTR* rgszNames, UINT cNames, LCID lcid, DISPID* rgDispId)
{
    ComPtr<ITypeInfo> info;
    const HRESULT hr = LoadNotifierTypeInfo(lcid, info.put());
    return FAILED(hr) ? hr : info->GetIDsOfNames(rgszNames, cNames, rgDispId);
}

IFACEMETHODIMP CIndexNotifier::Invoke(DISPID dispIdMember, REFIID, LCID lcid, WORD wFlags, DISPPARAMS* pDispParams,
                                      VARIANT* pVarResult, EXCEPINFO* pExcepInfo, UINT* puArgErr)
{
    ComPtr<ITypeInfo> info;
    const HRESULT hr = LoadNotifierTypeInfo(lcid, info.put());
    if (FAILED(hr)) {
        return hr;
    }
    return info->Invoke(static_cast<IIndexNotifier*>(this), dispIdMember, wFlags, pDispParams, pVarResult, pExcepInfo,
                        puArgErr);
}

HRESULT CIndexNotifier::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(CIndexNotifier, IIndexNotifier),
        QITABENTMULTI(CIndexNotifier, IDispatch, IIndexNotifier),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
