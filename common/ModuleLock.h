// The lock count of an in-process COM server. Every live object, every class
// factory and every LockServer(TRUE) holds one lock; the module may unload
// only when the count is zero. Each DLL links its own copy of this library
// and so has its own count.
#pragma once

#include <windows.h>

namespace brw {

void LockModule() noexcept;
void UnlockModule() noexcept;
long ModuleLockCount() noexcept;

// What DllCanUnloadNow answers: S_OK when nothing holds the module,
// otherwise S_FALSE.
HRESULT CanUnloadModule() noexcept;

// Holds one module lock for the lifetime of the object it is a member of.
class ModuleLock {
public:
    ModuleLock() noexcept { LockModule(); }
    ~ModuleLock() { UnlockModule(); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

} // namespace brw
