#pragma once
// A picture of what the screen shows of a window, saved as a PNG through
// WIC, which every Windows (and Wine) has, so no image library is needed.
// The calling thread must be in COM.
#include <windows.h>

#include <string>

namespace brwtest {

// What of the window goes into the picture. The frame and caption are the
// window manager's, and Xvfb runs none, so pictures leave them out.
enum class PictureArea { Client, MenuAndClient };

// That part of the window as the screen shows it now: the window must be on
// top.
HRESULT SaveWindowPicture(HWND window, PictureArea area, const std::wstring& pngPath);

} // namespace brwtest
