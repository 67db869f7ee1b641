// What BRWMon32 writes when it registers: the monitor class with its
// ProgIDs and the AppID, per machine or for the current user only.
#pragma once

#include "common/Registrar.h"
#include "common/RegistryScript.h"

#include <windows.h>

namespace brw {

// {C2CC3517-9BF6-4CEA-B579-2BC97F6300C7}, named "BRWMon32".
constexpr GUID kMonitorApplicationId = {0xC2CC3517, 0x9BF6, 0x4CEA, {0xB5, 0x79, 0x2B, 0xC9, 0x7F, 0x63, 0x00, 0xC7}};
constexpr wchar_t kMonitorProgId[] = L"BRWMon32.IndexChangeMonitor.1";
constexpr wchar_t kMonitorIndependentProgId[] = L"BRWMon32.IndexChangeMonitor";

// Texts carry %MODULE% and %APPID%.
RegistryScript MonitorScript();

// Writes the script for modulePath; a registration that fails half-way is
// taken away again, so nothing half-registered stays behind.
HRESULT RegisterMonitor(const wchar_t* modulePath, RegistrationScope scope) noexcept;
HRESULT UnregisterMonitor(const wchar_t* modulePath, RegistrationScope scope) noexcept;

// DllInstall's command line: "user" (any case) at its start asks for the
// current user's registration.
RegistrationScope ScopeFromInstallCommand(const wchar_t* commandLine) noexcept;

} // namespace brw
