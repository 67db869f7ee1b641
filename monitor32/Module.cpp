// The index change monitor's COM module. It has no class yet: no factory is
// handed out and nothing is registered.
#include "common/ClassFactory.h"
#include "common/ModuleLock.h"

#include <windows.h>

STDAPI DllCanUnloadNow()
{
    return brw::CanUnloadModule();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    // The class table is empty until the module's classes exist.
    return brw::GetClassObjectFromTable(nullptr, 0, &clsid, &riid, object);
}

STDAPI DllRegisterServer()
{
    return E_NOTIMPL;
}

STDAPI DllUnregisterServer()
{
    return E_NOTIMPL;
}

STDAPI DllInstall(BOOL, LPCWSTR)
{
    return E_NOTIMPL;
}
