#include "common/ServerModule.h"

namespace brw {
namespace {

HINSTANCE g_serverModule = nullptr;

} // namespace

void AttachServerModule(HINSTANCE instance) noexcept
{
    g_serverModule = instance;
    DisableThreadLibraryCalls(instance);
}

HINSTANCE ServerModuleHandle() noexcept
{
    return g_serverModule;
}

HRESULT ModulePathFailure() noexcept
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

} // namespace brw
