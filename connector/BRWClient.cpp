// Until the data service exists no context can be made, so every command
// fails and no reply is ever ready.
#include "connector/BRWClient.h"

namespace {
constexpr int kFailed = 1;
}

int WINAPI InitializeCommandContext(BRWCommandContext*)
{
    return kFailed;
}

int WINAPI ClearCommandBuffer(BRWCommandContext)
{
    return kFailed;
}

int WINAPI ExecuteCommand(BRWCommandContext, const wchar_t*)
{
    return kFailed;
}

int WINAPI GetReturnBufferSize(BRWCommandContext)
{
    return 0;
}

int WINAPI GetReturnBuffer(BRWCommandContext, BYTE*, int, DWORD* length)
{
    if (length != nullptr) {
        *length = 0;
    }
    return kFailed;
}

int WINAPI FreeCommandContext(BRWCommandContext)
{
    return kFailed;
}
