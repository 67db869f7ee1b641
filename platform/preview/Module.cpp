// The stand-ins' RTF preview handler as an in-process server.
#include "common/ClassFactory.h"
#include "common/ModuleLock.h"
#include "common/Registrar.h"
#include "common/ServerModule.h"
#include "platform/preview/RtfPreviewHandler.h"
#include "platform/preview/RtfPreviewScript.h"

#include <windows.h>

namespace {

const brw::ClassEntry kClasses[] = {
    {&brw::kRtfPreviewHandlerClsid, &brw::CreateInstance<brw::CRtfPreviewHandler>},
};

brw::Registrar ModuleRegistrar(const wchar_t* path)
{
    return brw::Registrar(brw::RegistrationScope::Machine, brw::Replacements{{L"MODULE", path}});
}

constexpr wchar_t kTraceComponent[] = L"BRWRtfPreview module";

} // namespace

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
    return brw::WithModulePath(brw::ThisCodeModule(), kTraceComponent, L"register", [](const wchar_t* path) {
        return ModuleRegistrar(path).Register(brw::RtfPreviewScript());
    });
}

STDAPI DllUnregisterServer()
{
    return brw::WithModulePath(brw::ThisCodeModule(), kTraceComponent, L"unregister", [](const wchar_t* path) {
        return ModuleRegistrar(path).Unregister(brw::RtfPreviewScript());
    });
}
