#pragma once
// The About box: the product line and the build it came from.
#include <windows.h>

namespace brw {

inline constexpr wchar_t kBuildStamp[] = L"2012.10.29.13.21";

// Modal; returns when OK or Cancel closes it.
void ShowAboutDialog(HINSTANCE instance, HWND owner);

} // namespace brw
