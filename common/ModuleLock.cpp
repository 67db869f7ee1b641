#include "common/ModuleLock.h"

#include <atomic>

namespace brw {

namespace {

// Objects and LockServer share one count: DllCanUnloadNow only needs to
// know whether anything at all still needs the code.
std::atomic<long> g_moduleLocks{0};

} // namespace

void LockModule() noexcept
{
    ++g_moduleLocks;
}

void UnlockModule() noexcept
{
    --g_moduleLocks;
}

long ModuleLockCount() noexcept
{
    return g_moduleLocks.load();
}

HRESULT CanUnloadModule() noexcept
{
    return g_moduleLocks.load() == 0 ? S_OK : S_FALSE;
}

} // namespace brw
