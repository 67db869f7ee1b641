// The full path of a loaded module, however long.
#pragma once

#include <windows.h>

#include <string>

namespace brw {

// Empty when the system cannot say (GetLastError tells why) or the path
// would exceed the longest path Windows has.
std::wstring ModuleFilePath(HMODULE module);

// The module the calling code is linked into: this library is linked
// statically, so its code lies in the same module as its caller's. Null when
// the system cannot say. No reference is taken: the module is the caller's
// own and lives as long as the call.
HMODULE ThisCodeModule() noexcept;

} // namespace brw
