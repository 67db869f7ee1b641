#include "connector/PipeServer.h"

#include "common/PipeSecurity.h"
#include "common/TokenUser.h"
#include "connector/CommandContextHandle.h"

#include <notesapi.h>

#include <memory>
#include <mutex>
#include <new>

namespace brw {
namespace {

constexpr DWORD kMaxInstances = 16;

// The published listener lives on the pipe server thread's stack. The lock
// makes a stop request and the thread's leaving exclusive: the thread
// unpublishes under it before the listener goes, so a stop either reaches a
// live listener or finds none.
std::mutex g_publication;
Listener* g_currentListener = nullptr;

class Publication {
public:
    explicit Publication(Listener& listener)
    {
        std::lock_guard<std::mutex> hold(g_publication);
        g_currentListener = &listener;
    }
    ~Publication()
    {
        std::lock_guard<std::mutex> hold(g_publication);
        g_currentListener = nullptr;
    }
    Publication(const Publication&) = delete;
    Publication& operator=(const Publication&) = delete;
};

void WriteWhole(HANDLE pipe, const void* bytes, DWORD length)
{
    DWORD written = 0;
    WriteFile(pipe, bytes, length, &written, nullptr); // a short write only costs this client
}

} // namespace

bool RequestPipeServerStop() noexcept
{
    std::lock_guard<std::mutex> hold(g_publication);
    if (g_currentListener == nullptr) {
        return false;
    }
    g_currentListener->RequestStop();
    return true;
}

bool IsPipeServerRunning() noexcept
{
    std::lock_guard<std::mutex> hold(g_publication);
    return g_currentListener != nullptr;
}

Listener::Listener(std::wstring pipeName) : Listener(std::move(pipeName), &RunsAsOwnUser) {}

Listener::Listener(std::wstring pipeName, ClientAdmission admits)
    : pipeName_(std::move(pipeName)), admits_(admits != nullptr ? admits : &RunsAsOwnUser)
{
}

Listener::~Listener() = default;

bool Listener::Open()
{
    // Only this user and SYSTEM may open it; the first instance or none, so
    // that a pipe of that name made earlier by someone else is never shared;
    // remote clients are never served.
    OwnerOnlySecurity security;
    if (!security.IsValid()) {
        return false;
    }
    pipe_.reset(CreateNamedPipeW(pipeName_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                 kMaxInstances, kPipeBufferBytes, kPipeBufferBytes, NMPWAIT_WAIT_FOREVER,
                                 security.Attributes()));
    return static_cast<bool>(pipe_);
}

void Listener::ServeUntilStopped()
{
    // Made, used and freed on this thread: a context belongs to its thread.
    const CommandContextHandle context = MakeCommandContext();
    if (!context) {
        pipe_.reset();
        return;
    }
    while (pipe_ && !stop_ && ServeOneConnection(context.get())) {
    }
}

bool Listener::AdmitsConnectedClient() const
{
    ULONG clientId = 0;
    return GetNamedPipeClientProcessId(pipe_.get(), &clientId) && admits_(clientId);
}

bool Listener::ServeOneConnection(DWORD context)
{
    if (!ConnectNamedPipe(pipe_.get(), nullptr)) {
        const DWORD error = GetLastError();
        // A client that came and went before the wait costs only itself;
        // serving goes on.
        if (error == ERROR_NO_DATA) {
            DisconnectNamedPipe(pipe_.get());
            return true;
        }
        if (error != ERROR_PIPE_CONNECTED) {
            pipe_.reset();
            return false;
        }
    }
    // A request may name any document of this user: a process of another
    // user gets nothing, not even a failure reply.
    if (AdmitsConnectedClient()) {
        // Two bytes more than a request may fill and zeroed: whatever a
        // client sends, the text ends inside the buffer.
        HeapBlock<wchar_t> request = AllocateHeapBlock<wchar_t>(kRequestLimitBytes + sizeof(wchar_t));
        DWORD read = 0;
        if (request && ReadFile(pipe_.get(), request.get(), kRequestLimitBytes, &read, nullptr) && read > 0) {
            Answer(context, request.get());
        }
    }
    DisconnectNamedPipe(pipe_.get());
    return true;
}

void Listener::Answer(DWORD context, const wchar_t* request)
{
    ClearCommandBuffer(context);
    if (ExecuteCommand(context, request) == 0) {
        const int size = GetReturnBufferSize(context);
        HeapBlock<BYTE> reply = AllocateHeapBlock<BYTE>(size > 0 ? static_cast<size_t>(size) : 1);
        DWORD length = 0;
        if (reply && GetReturnBuffer(context, reply.get(), size, &length) == 0) {
            WriteWhole(pipe_.get(), reply.get(), length);
            FlushFileBuffers(pipe_.get()); // until the client has read it
            return;
        }
    }
    WriteWhole(pipe_.get(), kFailureMarker, kFailureMarkerBytes);
    FlushFileBuffers(pipe_.get());
}

DWORD WINAPI PipeServerThread(void* parameter) noexcept
{
    std::unique_ptr<std::wstring> pipeName(static_cast<std::wstring*>(parameter));
    if (NotesInitThread() != NOERROR_STATUS) {
        return 0;
    }
    try {
        Listener listener(pipeName ? *pipeName : std::wstring(kConnectorPipeName));
        const Publication published(listener);
        if (listener.Open()) {
            listener.ServeUntilStopped();
        }
    } catch (const std::bad_alloc&) {
        // Only the name's copy allocates; without it there is nothing to serve.
    }
    NotesTermThread();
    return 0;
}

} // namespace brw
