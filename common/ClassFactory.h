// One class factory for all the classes of a COM server, driven by the
// server's class table, and the DllGetClassObject that hands it out.
#pragma once

#include <objbase.h>
#include <unknwn.h>

#include <cstddef>

namespace brw {

// Makes one object: outer is the aggregating unknown or null. A class that
// cannot be aggregated answers CLASS_E_NOAGGREGATION when outer is given.
using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** ppv);

struct ClassEntry {
    const CLSID* clsid;
    CreateFunction create;
};

// The class factory of entry.create, queried for riid.
HRESULT CreateClassFactory(CreateFunction create, REFIID riid, void** ppv) noexcept;

// What DllGetClassObject answers: the factory for a class of the table,
// CLASS_E_CLASSNOTAVAILABLE for any other class, E_POINTER for a null ppv and
// E_INVALIDARG for a null class or interface id. The ids are taken by
// address because callers outside C++ can pass null where C++ cannot.
HRESULT GetClassObjectFromTable(const ClassEntry* table, std::size_t count, const CLSID* clsid, const IID* riid,
                                void** ppv) noexcept;

template <std::size_t N>
HRESULT GetClassObjectFromTable(const ClassEntry (&table)[N], const CLSID* clsid, const IID* riid, void** ppv) noexcept
{
    return GetClassObjectFromTable(table, N, clsid, riid, ppv);
}

} // namespace brw
