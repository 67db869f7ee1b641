#include "connector/PipeServer.h"

#include <notesapi.h>

#include <memory>

namespace brw {
namespace {

constexpr wchar_t kFailureReply[] = L"<failure/>";
constexpr DWORD kFailureReplyBytes = sizeof(kFailureReply) - sizeof(wchar_t);  // no NUL
constexpr DWORD kMaxInstances = 16;
constexpr DWORD kPipeBufferBytes = 0x8000;

std::atomic<Listener*> g_currentListener{nullptr};

void WriteWhole(HANDLE pipe, const void* bytes, DWORD length)
{
    DWORD written = 0;
    WriteFile(pipe, bytes, length, &written, nullptr);  // a short write only costs this client
}

}  // namespace

Listener* CurrentListener()
{
    return g_currentListener;
}

Listener::~Listener()
{
    Close();
}

void Listener::Close()
{
    pipe_.reset();
    context_.reset();
}

bool Listener::Open()
{
    // The first instance or none: a pipe of that name owned by another
    // process would answer in our place. Remote clients are never served.
    pipe_.reset(CreateNamedPipeW(pipeName_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                 kMaxInstances, kPipeBufferBytes, kPipeBufferBytes, NMPWAIT_WAIT_FOREVER, nullptr));
    return static_cast<bool>(pipe_);
}

void Listener::ServeUntilStopped()
{
    if (!context_) {
        context_ = MakeCommandContext();
    }
    if (!context_) {
        Close();
        return;
    }
    while (pipe_ && !stop_ && ServeOneConnection()) {
    }
}

bool Listener::ServeOneConnection()
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
            Close();
            return false;
        }
    }
    // Two bytes more than a request may fill and zeroed: whatever a client
    // sends, the text ends inside the buffer.
    HeapBlock<wchar_t> request = AllocateHeapBlock<wchar_t>(kRequestBufferBytes + sizeof(wchar_t));
    DWORD read = 0;
    if (request && ReadFile(pipe_.get(), request.get(), kRequestBufferBytes, &read, nullptr) && read > 0) {
        Answer(request.get());
    }
    request.reset();
    DisconnectNamedPipe(pipe_.get());
    return true;
}

void Listener::Answer(const wchar_t* request)
{
    ClearCommandBuffer(context_.get());
    if (ExecuteCommand(context_.get(), request) == 0) {
        const int size = GetReturnBufferSize(context_.get());
        HeapBlock<BYTE> reply = AllocateHeapBlock<BYTE>(size > 0 ? static_cast<size_t>(size) : 1);
        DWORD length = 0;
        if (reply && GetReturnBuffer(context_.get(), reply.get(), size, &length) == 0) {
            WriteWhole(pipe_.get(), reply.get(), length);
            FlushFileBuffers(pipe_.get());  // until the client has read it
            return;
        }
    }
    WriteWhole(pipe_.get(), kFailureReply, kFailureReplyBytes);
    FlushFileBuffers(pipe_.get());
}

DWORD WINAPI PipeServerThread(void* parameter)
{
    std::unique_ptr<std::wstring> pipeName(static_cast<std::wstring*>(parameter));
    if (NotesInitThread() != NOERROR_STATUS) {
        return 0;
    }
    {
        Listener listener(pipeName ? *pipeName : std::wstring(kServerPipeName));
        g_currentListener = &listener;
        if (listener.Open()) {
            listener.ServeUntilStopped();
        }
        g_currentListener = nullptr;
    }
    NotesTermThread();
    return 0;
}

}  // namespace brw
