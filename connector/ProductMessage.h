#pragma once
// The connector's message boxes: every one carries the product's title.
#include "connector/NotesLocation.h"

#include <windows.h>

namespace brw {

inline int ShowProductMessage(HWND owner, const wchar_t* text, UINT buttons = MB_OK)
{
    return MessageBoxW(owner, text, kProductTitle, buttons);
}

} // namespace brw
