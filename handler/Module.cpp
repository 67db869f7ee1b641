// The COM module. It has no classes yet: no factory is handed out, nothing
// is registered, and no URL can be opened.
#include <windows.h>

#include "common/ClassFactory.h"
#include "common/ModuleLock.h"

#include "handler/ProcessUrl.h"

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

extern "C" int WINAPI ProcessURL(const wchar_t*, const wchar_t*)
{
    return 1;
}
