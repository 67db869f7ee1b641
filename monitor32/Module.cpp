// The index change monitor's COM module: its class table and exports.
#include "common/ClassFactory.h"
#include "common/ComObject.h"
#include "common/IndexChangeMonitorApi.h"
#include "common/ModuleLock.h"
#include "common/ServerModule.h"
#include "monitor32/IndexChangeMonitor.h"
#include "monitor32/MonitorRegistration.h"

#include <windows.h>

namespace {

const brw::ClassEntry kMonitorClasses[] = {
    {&brw::kIndexChangeMonitorClsid, &brw::CreateAggregatableInstance<brw::CIndexChangeMonitor>},
};

enum class Action { Register, Unregister };

HRESULT Apply(Action action, brw::RegistrationScope scope) noexcept
{
    return brw::WithModulePath(
        brw::ThisCodeModule(), L"BRWMon32 module", action == Action::Register ? L"register" : L"unregister",
        [action, scope](const wchar_t* path) {
            return action == Action::Register ? brw::RegisterMonitor(path, scope) : brw::UnregisterMonitor(path, scope);
        });
}

} // namespace

STDAPI DllCanUnloadNow()
{
    return brw::CanUnloadModule();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    return brw::GetClassObjectFromTable(kMonitorClasses, &clsid, &riid, object);
}

STDAPI DllRegisterServer()
{
    return Apply(Action::Register, brw::RegistrationScope::Machine);
}

STDAPI DllUnregisterServer()
{
    return Apply(Action::Unregister, brw::RegistrationScope::Machine);
}

STDAPI DllInstall(BOOL install, LPCWSTR commandLine)
{
    const brw::RegistrationScope scope = brw::ScopeFromInstallCommand(commandLine);
    return Apply(install ? Action::Register : Action::Unregister, scope);
}
