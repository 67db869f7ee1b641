// What BRW writes when it registers: its application id, the Brw URL
// protocol, whose open command starts BRW with the URL, and its type
// library, which describes no classes.
#pragma once
#include "common/Registrar.h"
#include "common/RegistryScript.h"
#include "common/TypeLibrary.h"

#include <windows.h>

#include <string>

namespace brw {

constexpr wchar_t kLauncherAppId[] = L"{B6DE7940-D20F-461B-9DCC-BAEDAFC81D0B}";
constexpr wchar_t kLauncherProjectName[] = L"BRW";
constexpr wchar_t kBrwProtocolKey[] = L"Brw";
// The results folder that shows brw: items.
constexpr wchar_t kResultsFolderClass[] = L"{F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}";

// BRWLib, version 1.0: {BB4C1EDD-8839-4203-93BB-26F9CF670C8A}.
constexpr GUID kLauncherLibraryId = {0xBB4C1EDD, 0x8839, 0x4203, {0x93, 0xBB, 0x26, 0xF9, 0xCF, 0x67, 0x0C, 0x8A}};

// The keys, with %MODULE% for the full path of BRW.exe.
RegistryScript LauncherScript();

TypeLibraryDescription LauncherTypeLibrary();

// The open command for a program path: both the path and the URL quoted,
// so neither a blank in the path nor one in the URL splits them.
std::wstring LauncherOpenCommand(const std::wstring& programPath);

// The keys, then the library beside the program (BRW.tlb); a registration
// that fails half-way is taken away again.
HRESULT RegisterLauncher(RegistrationScope scope, const std::wstring& programPath) noexcept;
HRESULT UnregisterLauncher(RegistrationScope scope, const std::wstring& programPath) noexcept;

} // namespace brw
