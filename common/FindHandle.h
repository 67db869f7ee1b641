// The holder for a directory search of FindFirstFileExW: failure is
// INVALID_HANDLE_VALUE and the search is ended with FindClose, not
// CloseHandle.
#pragma once

#include "common/Handles.h"

#include <windows.h>

namespace brw {

struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(pointer h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(pointer h) noexcept { FindClose(h); }
};

using FindHandle = UniqueResource<FindHandleTraits>;

} // namespace brw
