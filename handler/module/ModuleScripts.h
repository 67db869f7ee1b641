// What registration writes: the module's script (item types, the protocol
// handler and its bindings to Windows Search and the shell) and the scripts
// of the classes that have one. Texts carry %MODULE% and %APPID%.
#pragma once
#include "common/RegistryScript.h"

#include <windows.h>

#include <string>
#include <vector>

namespace brw {

// {A5332841-FAD8-4A9C-ACF2-9389BDDD135C}
constexpr GUID kHandlerApplicationId = {0xA5332841, 0xFAD8, 0x4A9C, {0xAC, 0xF2, 0x93, 0x89, 0xBD, 0xDD, 0x13, 0x5C}};
constexpr wchar_t kProtocolProgId[] = L"BRWHandler.NSFProtocol.1";
constexpr wchar_t kWindowsSearchKey[] = L"Software\\Microsoft\\Windows Search";

// The item types registered for the shell, each with its friendly name.
std::vector<std::wstring> RegisteredItemTypes();

// Module script REGISTRY 202.
RegistryScript ModuleScript();
// Class script 112 of CIndexNotifier.
RegistryScript IndexNotifierScript();
// Class script 115 of CBRWPreviewShellView.
RegistryScript PreviewShellViewScript();
// Class script 111 of CNoteContextMenu.
RegistryScript NoteContextMenuScript();
// Class script 114 of CSearchResult.
RegistryScript SearchResultScript();
// Class script 110 of CSearchResultsShell, the namespace folder.
RegistryScript SearchResultsShellScript();

} // namespace brw
