#include "handler/shell/EmptyItemList.h"

#include <shlwapi.h>

namespace brw {

IFACEMETHODIMP CEmptyItemList::Next(ULONG celt, PITEMID_CHILD* rgelt, ULONG* pceltFetched)
{
    if (pceltFetched) {
        *pceltFetched = 0;
    }
    if (celt != 0 && !rgelt) {
        return E_POINTER;
    }
    return celt == 0 ? S_OK : S_FALSE;
}

IFACEMETHODIMP CEmptyItemList::Skip(ULONG celt)
{
    return celt == 0 ? S_OK : S_FALSE;
}

IFACEMETHODIMP CEmptyItemList::Reset()
{
    return S_OK;
}

IFACEMETHODIMP CEmptyItemList::Clone(IEnumIDList** ppenum)
{
    return CreateInstance<CEmptyItemList>(nullptr, IID_IEnumIDList, reinterpret_cast<void**>(ppenum));
}

HRESULT CEmptyItemList::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(CEmptyItemList, IEnumIDList),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
