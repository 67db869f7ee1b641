#include "common/ServerModule.h"

namespace brw {

HRESULT ModulePathFailure() noexcept
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

} // namespace brw
