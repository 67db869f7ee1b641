// The full path of a loaded module, however long.
#pragma once

#include <windows.h>

#include <string>

namespace brw {

// Empty when the system cannot say (GetLastError tells why) or the path
// would exceed the longest path Windows has.
std::wstring ModuleFilePath(HMODULE module);

} // namespace brw
