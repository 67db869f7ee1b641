// The module's classes in their fixed order: class factories and
// registration both follow it.
#pragma once
#include "common/ClassFactory.h"
#include "common/RegistryScript.h"

#include <windows.h>

#include <cstddef>

namespace brw {

extern const ClassEntry kHandlerClasses[];
extern const std::size_t kHandlerClassCount;

// The class's own script; false for a class that has none.
bool ClassScriptFor(const CLSID& clsid, RegistryScript* script);

// DllRegisterServer and DllUnregisterServer for the module at modulePath.
HRESULT RegisterHandlerModule(const wchar_t* modulePath) noexcept;
HRESULT UnregisterHandlerModule(const wchar_t* modulePath) noexcept;

} // namespace brw
