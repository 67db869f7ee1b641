// What every in-process COM server of ours does around its exports: keep
// the module handle DllMain is given, and run a registration export's work
// with the module's full path. Each DLL links its own copy of this library
// and so keeps its own handle.
#pragma once
#include "common/FailureTrail.h"
#include "common/ModulePath.h"

#include <windows.h>

#include <new>
#include <string>

namespace brw {

// DllMain's share at process attach: remembers the module and turns off the
// thread notifications, which no server of ours uses.
void AttachServerModule(HINSTANCE instance) noexcept;

// The module AttachServerModule was given; null before, which names the
// process's program file.
HINSTANCE ServerModuleHandle() noexcept;

// The error to report when the module's path cannot be had: the system's,
// or E_FAIL where the system left none, so that no registration counts as
// done without having run.
HRESULT ModulePathFailure() noexcept;

// Runs step(const wchar_t* modulePath) -> HRESULT with the server module's
// full path and gives its result; ModulePathFailure() without a path and
// E_OUTOFMEMORY when memory runs out on the way. A failure leaves a line on
// the failure trail as component and stepName.
template <typename Step>
HRESULT WithServerModulePath(const wchar_t* component, const wchar_t* stepName, const Step& step) noexcept
{
    HRESULT hr = S_OK;
    try {
        const std::wstring path = ModuleFilePath(ServerModuleHandle());
        hr = path.empty() ? ModulePathFailure() : step(path.c_str());
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        TraceFailure(component, stepName, hr);
    }
    return hr;
}

} // namespace brw
