// What BRW writes when it registers: its application id and the Brw URL
// protocol, whose open command starts BRW with the URL.
#pragma once
#include "common/Registrar.h"
#include "common/RegistryScript.h"

#include <windows.h>

#include <string>

namespace brw {

constexpr wchar_t kLauncherAppId[] = L"{B6DE7940-D20F-461B-9DCC-BAEDAFC81D0B}";
constexpr wchar_t kLauncherProjectName[] = L"BRW";
constexpr wchar_t kBrwProtocolKey[] = L"Brw";
// The results folder that shows brw: items.
constexpr wchar_t kResultsFolderClass[] = L"{F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}";

// The keys, with %MODULE% for the full path of BRW.exe.
RegistryScript LauncherScript();

// The open command for a program path: both the path and the URL quoted,
// so neither a blank in the path nor one in the URL splits them.
std::wstring LauncherOpenCommand(const std::wstring& programPath);

HRESULT RegisterLauncher(RegistrationScope scope, const std::wstring& programPath) noexcept;
HRESULT UnregisterLauncher(RegistrationScope scope, const std::wstring& programPath) noexcept;

} // namespace brw
