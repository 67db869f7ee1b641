// The command client's exports over the data service's entry point.
//
// Who owns a context: the thread that made it, alone. Every call from
// another thread fails and leaves the context as it is, FreeCommandContext
// included: so a context is never freed while its thread is inside a
// command, and its service and COM apartment are released on the thread
// they belong to. A thread frees its context before it ends; one it leaves
// behind stays, unused, until the process ends.
#include "connector/BRWClient.h"

#include "connector/CommandContext.h"
#include "notesdata/exports/BRWDataExports.h"

#include <cstring>
#include <new>

namespace {

constexpr int kSucceeded = 0;
constexpr int kFailed = 1;

brw::CommandContextTable& Contexts()
{
    static brw::CommandContextTable contexts;
    return contexts;
}

// The context for id when the calling thread owns it.
brw::CommandContext* OwnContext(BRWCommandContext id)
{
    brw::CommandContext* context = Contexts().Find(id);
    return context != nullptr && context->IsOwnedByThisThread() ? context : nullptr;
}

} // namespace

int WINAPI InitializeCommandContext(BRWCommandContext* context) noexcept
{
    if (context == nullptr) {
        return kFailed;
    }
    try {
        std::unique_ptr<brw::CommandContext> made = brw::CommandContext::Create(&EntryPoint);
        if (!made) {
            return kFailed;
        }
        *context = Contexts().Add(std::move(made));
        return kSucceeded;
    } catch (const std::bad_alloc&) {
        return kFailed;
    }
}

int WINAPI ClearCommandBuffer(BRWCommandContext context) noexcept
{
    brw::CommandContext* own = OwnContext(context);
    if (own == nullptr) {
        return kFailed;
    }
    own->ClearReply();
    return kSucceeded;
}

int WINAPI ExecuteCommand(BRWCommandContext context, const wchar_t* command) noexcept
{
    brw::CommandContext* own = OwnContext(context);
    return own != nullptr && own->Execute(command) ? kSucceeded : kFailed;
}

int WINAPI GetReturnBufferSize(BRWCommandContext context) noexcept
{
    brw::CommandContext* own = OwnContext(context);
    return own == nullptr ? 0 : static_cast<int>(own->Reply().ByteCount());
}

int WINAPI GetReturnBuffer(BRWCommandContext context, BYTE* buffer, int bufferSize, DWORD* length) noexcept
{
    brw::CommandContext* own = OwnContext(context);
    if (own == nullptr || buffer == nullptr || length == nullptr || bufferSize < 0) {
        return kFailed;
    }
    size_t bytes = own->Reply().ByteCount();
    if (bytes > static_cast<size_t>(bufferSize)) {
        return kFailed;
    }
    std::memcpy(buffer, own->Reply().Text().data(), bytes);
    *length = static_cast<DWORD>(bytes);
    return kSucceeded;
}

int WINAPI FreeCommandContext(BRWCommandContext context) noexcept
{
    if (OwnContext(context) == nullptr) {
        return kFailed;
    }
    return Contexts().Remove(context) ? kSucceeded : kFailed;
}
