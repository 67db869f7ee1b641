// The stand-in's COM server: its class table, its registration and the
// exported entry points. Registration writes HKCR\CLSID entries for Windows
// Search's own class ids, in the registry view of the DLL's architecture, so
// both 32-bit and 64-bit callers find an in-process server of their own.
#include "common/ClassFactory.h"
#include "common/ModuleLock.h"
#include "common/Registrar.h"
#include "platform/winsearch/service/ServiceObjects.h"

#include <windows.h>

namespace {

HMODULE g_module = nullptr;

const brw::ClassEntry kClasses[] = {
    {&CLSID_CSearchManager, brw::winsearch::CreateSearchManager},
    {&CLSID_CSearchRoot, brw::winsearch::CreateSearchRoot},
};

brw::ScriptKey ClassKey(const GUID& clsid, const wchar_t* description)
{
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    return brw::ScriptKey{HKEY_CLASSES_ROOT,
                          std::wstring(L"CLSID\\") + text,
                          brw::KeyMode::ForceRemove,
                          {brw::ScriptValue::Default(description)}};
}

brw::ScriptKey ServerKey(const GUID& clsid)
{
    wchar_t text[40] = {};
    StringFromGUID2(clsid, text, 40);
    return brw::ScriptKey{
        HKEY_CLASSES_ROOT,
        std::wstring(L"CLSID\\") + text + L"\\InprocServer32",
        brw::KeyMode::Normal,
        {brw::ScriptValue::Default(L"%MODULE%"), brw::ScriptValue::String(L"ThreadingModel", L"Both")}};
}

brw::RegistryScript Script()
{
    return {ClassKey(CLSID_CSearchManager, L"CSearchManager Class"), ServerKey(CLSID_CSearchManager),
            ClassKey(CLSID_CSearchRoot, L"CSearchRoot Class"), ServerKey(CLSID_CSearchRoot)};
}

std::wstring ModulePath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(g_module, path, MAX_PATH);
    return (length == 0 || length >= MAX_PATH) ? std::wstring() : std::wstring(path, length);
}

HRESULT Apply(bool install)
{
    try {
        const std::wstring path = ModulePath();
        if (path.empty()) {
            return E_FAIL;
        }
        const brw::Registrar registrar(brw::RegistrationScope::Machine, {{L"MODULE", path}});
        return install ? registrar.Register(Script()) : registrar.Unregister(Script());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** ppv)
{
    return brw::GetClassObjectFromTable(kClasses, &clsid, &riid, ppv);
}

STDAPI DllCanUnloadNow()
{
    return brw::CanUnloadModule();
}

STDAPI DllRegisterServer()
{
    const HRESULT hr = Apply(true);
    if (FAILED(hr)) {
        Apply(false);
    }
    return hr;
}

STDAPI DllUnregisterServer()
{
    return Apply(false);
}
