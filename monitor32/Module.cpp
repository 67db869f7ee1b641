// The index change monitor's COM module: its class table and exports.
#include "common/ClassFactory.h"
#include "common/ComObject.h"
#include "common/FailureTrail.h"
#include "common/IndexChangeMonitorApi.h"
#include "common/ModuleLock.h"
#include "common/ModulePath.h"
#include "monitor32/IndexChangeMonitor.h"
#include "monitor32/MonitorRegistration.h"

#include <windows.h>

#include <new>
#include <string>

namespace {

HINSTANCE g_module = nullptr;

const brw::ClassEntry kMonitorClasses[] = {
    {&brw::kIndexChangeMonitorClsid, &brw::CreateAggregatableInstance<brw::CIndexChangeMonitor>},
};

enum class Action { Register, Unregister };

HRESULT Apply(Action action, brw::RegistrationScope scope) noexcept
{
    const wchar_t* step = action == Action::Register ? L"register" : L"unregister";
    HRESULT hr = S_OK;
    try {
        const std::wstring path = brw::ModuleFilePath(g_module);
        if (path.empty()) {
            hr = HRESULT_FROM_WIN32(GetLastError());
        } else if (action == Action::Register) {
            hr = brw::RegisterMonitor(path.c_str(), scope);
        } else {
            hr = brw::UnregisterMonitor(path.c_str(), scope);
        }
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        brw::TraceFailure(L"BRWMon32 module", step, hr);
    }
    return hr;
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
