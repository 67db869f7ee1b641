// __uuidof for two shell interfaces whose ids the toolchain's shlobj.h
// declares only as an attribute it does not turn into __uuidof: the ids
// are those of shlobj.h (and shlguid.h's IID_IShellFolderViewCB).
#pragma once
#include <windows.h>
#include <shlobj.h>

__CRT_UUID_DECL(IShellFolderViewCB, 0x2047E320, 0xF2A9, 0x11CE, 0xAE, 0x65, 0x08, 0x00, 0x2B, 0x2E, 0x12, 0x62)
__CRT_UUID_DECL(IExtractIconW, 0x000214FA, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)
