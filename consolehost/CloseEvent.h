#pragma once
// The event through which the connector tells the console host that it has
// attached to the host's console (and again when it exits). Auto-reset;
// whichever program comes first creates it, the other opens it.
#include <windows.h>

namespace brw {

inline constexpr wchar_t kConsoleHostCloseEventName[] = L"Local\\{4D39F390-05BD-4E59-B1BF-49FACD596B47}";

// Creates or opens the close event; null when the name is taken by an object
// of another type or the call fails otherwise.
inline HANDLE CreateOrOpenCloseEvent()
{
    return CreateEventW(nullptr, FALSE, FALSE, kConsoleHostCloseEventName);
}

} // namespace brw
