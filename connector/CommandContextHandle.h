// The owning holder for a command client's context: freed once, on the
// thread that holds it (a context belongs to the thread that made it).
#pragma once

#include "common/Handles.h"
#include "connector/BRWClient.h"

namespace brw {

struct CommandContextTraits {
    using pointer = BRWCommandContext;
    static pointer Invalid() noexcept { return 0; }
    static bool IsValid(pointer context) noexcept { return context != 0; }
    static void Close(pointer context) noexcept { FreeCommandContext(context); }
};

using CommandContextHandle = UniqueResource<CommandContextTraits>;

// A new context for the calling thread; empty when none could be made.
inline CommandContextHandle MakeCommandContext() noexcept
{
    BRWCommandContext context = 0;
    return CommandContextHandle(InitializeCommandContext(&context) == 0 ? context : 0);
}

} // namespace brw
