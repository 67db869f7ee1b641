// The COM module: its exports and the module path registration writes.
#include "common/ClassFactory.h"
#include "common/FailureTrail.h"
#include "common/ModuleLock.h"
#include "common/ModulePath.h"
#include "handler/module/ClassTable.h"
#include "handler/shell/PreviewShellView.h"

#include <windows.h>

#include <string>

namespace {

HINSTANCE g_module = nullptr;

// The full path, however long; empty when the system cannot say.
std::wstring ModulePath()
{
    return brw::ModuleFilePath(g_module);
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved)
{
    if (reason == DLL_PROCESS_ATTACH) {
        g_module = instance;
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on: a window class left behind
        // would name a window procedure that is no longer there. (At process
        // exit the system drops the classes itself.)
        brw::UnregisterPreviewWindowClass(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow()
{
    return brw::CanUnloadModule();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    return brw::GetClassObjectFromTable(brw::kHandlerClasses, brw::kHandlerClassCount, &clsid, &riid, object);
}

namespace {

// A registration that fails leaves its step and result on the trail.
HRESULT Traced(const wchar_t* step, HRESULT hr) noexcept
{
    if (FAILED(hr)) {
        brw::TraceFailure(L"BRWHandler module", step, hr);
    }
    return hr;
}

} // namespace

STDAPI DllRegisterServer()
{
    try {
        const std::wstring path = ModulePath();
        return Traced(L"register",
                      path.empty() ? HRESULT_FROM_WIN32(GetLastError()) : brw::RegisterHandlerModule(path.c_str()));
    } catch (const std::bad_alloc&) {
        return Traced(L"register", E_OUTOFMEMORY);
    }
}

STDAPI DllUnregisterServer()
{
    try {
        const std::wstring path = ModulePath();
        return Traced(L"unregister",
                      path.empty() ? HRESULT_FROM_WIN32(GetLastError()) : brw::UnregisterHandlerModule(path.c_str()));
    } catch (const std::bad_alloc&) {
        return Traced(L"unregister", E_OUTOFMEMORY);
    }
}
