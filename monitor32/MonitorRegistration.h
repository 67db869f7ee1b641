// What BRWMon32 writes when it registers: the monitor class with its
// ProgIDs, the AppID and the type library, per machine or for the current
// user only.
#pragma once

#include "common/Registrar.h"
#include "common/RegistryScript.h"
#include "common/TypeLibrary.h"

#include <windows.h>

namespace brw {

// {C2CC3517-9BF6-4CEA-B579-2BC97F6300C7}, named "BRWMon32".
constexpr GUID kMonitorApplicationId = {0xC2CC3517, 0x9BF6, 0x4CEA, {0xB5, 0x79, 0x2B, 0xC9, 0x7F, 0x63, 0x00, 0xC7}};
constexpr wchar_t kMonitorProgId[] = L"BRWMon32.IndexChangeMonitor.1";
constexpr wchar_t kMonitorIndependentProgId[] = L"BRWMon32.IndexChangeMonitor";

// {79EB55AF-8723-4403-8C79-48F86DF59376}, version 1.0.
constexpr GUID kMonitorLibraryId = {0x79EB55AF, 0x8723, 0x4403, {0x8C, 0x79, 0x48, 0xF8, 0x6D, 0xF5, 0x93, 0x76}};

// Texts carry %MODULE% and %APPID%.
RegistryScript MonitorScript();

// BRWMon32Lib: the monitor's interface and class.
TypeLibraryDescription MonitorTypeLibrary();

// Writes the script and the type library for modulePath; a registration that fails half-way is
// taken away again, so nothing half-registered stays behind.
HRESULT RegisterMonitor(const wchar_t* modulePath, RegistrationScope scope) noexcept;
HRESULT UnregisterMonitor(const wchar_t* modulePath, RegistrationScope scope) noexcept;

// DllInstall's command line: "user" (any case) at its start asks for the
// current user's registration.
RegistrationScope ScopeFromInstallCommand(const wchar_t* commandLine) noexcept;

} // namespace brw
