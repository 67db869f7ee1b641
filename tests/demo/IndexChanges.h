#pragma once
// The Windows Search stand-in's writes to its state folder, as a handle to
// wait on: what the demo's waits wake on instead of a clock. Each wake is
// followed by one more look at what the user would see.
#include "common/Handles.h"

#include <windows.h>

namespace brwdemo {

struct ChangeNotificationTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(pointer handle) noexcept { return handle != INVALID_HANDLE_VALUE && handle != nullptr; }
    static void Close(pointer handle) noexcept { FindCloseChangeNotification(handle); }
};
using ChangeNotification = brw::UniqueResource<ChangeNotificationTraits>;

// Signalled at the next change in the state folder; nothing held when the
// folder does not exist (no stand-in installed).
ChangeNotification WatchIndexChanges();

} // namespace brwdemo
