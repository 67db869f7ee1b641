// An enumeration of no items: what a folder that lists nothing hands out.
#pragma once
#include "common/ComObject.h"

#include <windows.h>
#include <shobjidl.h>

namespace brw {

class CEmptyItemList final : public ComObject<IEnumIDList> {
public:
    CEmptyItemList() noexcept = default;

    IFACEMETHODIMP Next(ULONG celt, PITEMID_CHILD* rgelt, ULONG* pceltFetched) override;
    IFACEMETHODIMP Skip(ULONG celt) override;
    IFACEMETHODIMP Reset() override;
    IFACEMETHODIMP Clone(IEnumIDList** ppenum) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CEmptyItemList() override = default;
};

} // namespace brw
