// The stand-ins' RTF preview handler as an in-process server.
#include "common/ClassFactory.h"
#include "common/ModuleLock.h"
#include "common/ModulePath.h"
#include "common/Registrar.h"
#include "platform/preview/RtfPreviewHandler.h"
#include "platform/preview/RtfPreviewScript.h"

#include <windows.h>

#include <new>
#include <string>

namespace {

HINSTANCE g_module = nullptr;

const brw::ClassEntry kClasses[] = {
    {&brw::kRtfPreviewHandlerClsid, &brw::CreateInstance<brw::CRtfPreviewHandler>},
};

brw::Registrar ModuleRegistrar(const std::wstring& path)
{
    return brw::Registrar(brw::RegistrationScope::Machine, brw::Replacements{{L"MODULE", path}});
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return brw::CanUnloadModule();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    return brw::GetClassObjectFromTable(kClasses, &clsid, &riid, object);
}

STDAPI DllRegisterServer()
{
    try {
        const std::wstring path = brw::ModuleFilePath(g_module);
        return path.empty() ? E_FAIL : ModuleRegistrar(path).Register(brw::RtfPreviewScript());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

STDAPI DllUnregisterServer()
{
    try {
        const std::wstring path = brw::ModuleFilePath(g_module);
        return path.empty() ? E_FAIL : ModuleRegistrar(path).Unregister(brw::RtfPreviewScript());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
