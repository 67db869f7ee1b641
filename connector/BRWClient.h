#pragma once
// The command client: runs XML commands through the Notes data service on
// the calling thread. Every function returns 0 for success.
#include <windows.h>

typedef DWORD BRWCommandContext;

extern "C" {

int WINAPI InitializeCommandContext(BRWCommandContext* context) noexcept;
int WINAPI ClearCommandBuffer(BRWCommandContext context) noexcept;
int WINAPI ExecuteCommand(BRWCommandContext context, const wchar_t* command) noexcept;
int WINAPI GetReturnBufferSize(BRWCommandContext context) noexcept;
int WINAPI GetReturnBuffer(BRWCommandContext context, BYTE* buffer, int bufferSize, DWORD* length) noexcept;
int WINAPI FreeCommandContext(BRWCommandContext context) noexcept;
}
