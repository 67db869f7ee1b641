// What every in-process COM server of ours does in its registration
// exports: run the work with the module's full path, and answer a path the
// system cannot give, memory running out and any failure the same way.
#pragma once
#include "common/FailureTrail.h"
#include "common/ModulePath.h"

#include <windows.h>

#include <new>
#include <string>

namespace brw {

// The error to report when a module's path cannot be had: the system's, or
// E_FAIL where the system left none, so that no registration counts as done
// without having run.
HRESULT ModulePathFailure() noexcept;

// Runs step(const wchar_t* modulePath) -> HRESULT with module's full path
// (a server passes ThisCodeModule()) and gives its result;
// ModulePathFailure() without a path and E_OUTOFMEMORY when memory runs out
// on the way. A failure leaves a line on the failure trail as component and
// stepName.
template <typename Step>
HRESULT WithModulePath(HMODULE module, const wchar_t* component, const wchar_t* stepName, const Step& step) noexcept
{
    HRESULT hr = S_OK;
    try {
        const std::wstring path = ModuleFilePath(module);
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
