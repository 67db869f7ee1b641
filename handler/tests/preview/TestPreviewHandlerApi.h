// The test preview handler: a small in-process server that records what its
// host does to it, for the preview view's tests to read back.
#pragma once
#include <windows.h>

namespace brwtest {

// {6B1E2A64-3F0C-4D7E-9A51-0C2B7D48E913}
constexpr CLSID kTestPreviewHandlerClsid = {
    0x6B1E2A64, 0x3F0C, 0x4D7E, {0x9A, 0x51, 0x0C, 0x2B, 0x7D, 0x48, 0xE9, 0x13}};
constexpr wchar_t kTestPreviewHandlerClsidText[] = L"{6B1E2A64-3F0C-4D7E-9A51-0C2B7D48E913}";
constexpr wchar_t kTestPreviewHandlerDll[] = L"handler\\test_preview_handler.dll";

// Exports, by name: the calls so far, one line each ("SetWindow <hwnd>
// <width>x<height>", "DoPreview", "SetRect <width>x<height>", "SetFocus",
// "Unload"), and the bytes the last Initialize read from its stream.
using TestPreviewLogFunction = const wchar_t*(WINAPI*)();
using TestPreviewBytesFunction = DWORD(WINAPI*)(BYTE* buffer, DWORD size);
using TestPreviewResetFunction = void(WINAPI*)();

} // namespace brwtest
