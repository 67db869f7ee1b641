#include "common/ClassFactory.h"

#include "common/ComObject.h"
#include "common/ModuleLock.h"

#include <shlwapi.h>

namespace brw {

namespace {

class ClassFactory final : public ComObject<IClassFactory> {
public:
    explicit ClassFactory(CreateFunction create) noexcept : create_(create) {}

    IFACEMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override
    {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        // An aggregate must hold the inner IUnknown, never a delegating one.
        if (outer && !IsEqualIID(riid, IID_IUnknown)) {
            return CLASS_E_NOAGGREGATION;
        }
        return create_(outer, riid, ppv);
    }

    IFACEMETHODIMP LockServer(BOOL lock) override
    {
        if (lock) {
            LockModule();
        } else {
            UnlockModule();
        }
        return S_OK;
    }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {
            QITABENT(ClassFactory, IClassFactory),
            {},
        };
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    CreateFunction create_;
};

} // namespace

HRESULT CreateClassFactory(CreateFunction create, REFIID riid, void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!create) {
        return E_INVALIDARG;
    }
    return InitializeAndQuery(new (std::nothrow) ClassFactory(create), riid, ppv);
}

HRESULT GetClassObjectFromTable(const ClassEntry* table, std::size_t count, const CLSID* clsid, const IID* riid,
                                void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!clsid || !riid || (!table && count != 0)) {
        return E_INVALIDARG;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (table[i].clsid && IsEqualCLSID(*table[i].clsid, *clsid)) {
            return CreateClassFactory(table[i].create, *riid, ppv);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

} // namespace brw
