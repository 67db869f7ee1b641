// What the pipe server imports, supplied by this program through its late
// binding: the six command client functions and the two Notes thread calls.
// The linker takes these definitions instead of the import libraries, so the
// program file imports neither BRWClient.dll nor nnotes.dll and starts on a
// machine where Notes has not been found yet.
//
// In this program the pipe server is the only caller of these names (the
// crawl-start thread calls the bound table itself), so ExecuteCommand is
// where a pipe client's request meets the gate.
#include "connector/BRWClient.h"
#include "connector/LateBinding.h"
#include "connector/RequestGate.h"

#include <windows.h>

namespace {

constexpr int kFailed = 1;
// Any non-zero Notes status fails the thread's preparation.
constexpr brw::NotesStatus kNotesUnavailable = 1;

brw::NotesStatus WINAPI BoundNotesInitThread()
{
    const brw::NotesRuntimeCalls* notes = brw::NotesRuntime();
    return notes != nullptr ? notes->initThread() : kNotesUnavailable;
}

void WINAPI BoundNotesTermThread()
{
    if (const brw::NotesRuntimeCalls* notes = brw::NotesRuntime()) {
        notes->termThread();
    }
}

} // namespace

extern "C" {

// The import cells the Notes header's dllimport declarations call through,
// under the names the compiler gives them.
void* g_importNotesInitThread __asm__("__imp__NotesInitThread@0") = reinterpret_cast<void*>(&BoundNotesInitThread);
void* g_importNotesTermThread __asm__("__imp__NotesTermThread@0") = reinterpret_cast<void*>(&BoundNotesTermThread);

int WINAPI InitializeCommandContext(BRWCommandContext* context) noexcept
{
    const brw::CommandClientCalls* client = brw::CommandClient();
    return client != nullptr ? client->initialize(context) : kFailed;
}

int WINAPI ClearCommandBuffer(BRWCommandContext context) noexcept
{
    const brw::CommandClientCalls* client = brw::CommandClient();
    return client != nullptr ? client->clear(context) : kFailed;
}

int WINAPI ExecuteCommand(BRWCommandContext context, const wchar_t* command) noexcept
{
    const brw::CommandClientCalls* client = brw::CommandClient();
    if (client == nullptr || !brw::IsServedOverPipe(command)) {
        return kFailed;
    }
    return client->execute(context, command);
}

int WINAPI GetReturnBufferSize(BRWCommandContext context) noexcept
{
    const brw::CommandClientCalls* client = brw::CommandClient();
    return client != nullptr ? client->replySize(context) : 0;
}

int WINAPI GetReturnBuffer(BRWCommandContext context, BYTE* buffer, int bufferSize, DWORD* length) noexcept
{
    const brw::CommandClientCalls* client = brw::CommandClient();
    return client != nullptr ? client->reply(context, buffer, bufferSize, length) : kFailed;
}

int WINAPI FreeCommandContext(BRWCommandContext context) noexcept
{
    const brw::CommandClientCalls* client = brw::CommandClient();
    return client != nullptr ? client->free(context) : kFailed;
}
}
