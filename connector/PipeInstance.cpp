#include "connector/PipeInstance.h"

#include "common/FailureTrail.h"
#include "common/PipeProtocol.h"
#include "common/PipeSecurity.h"
#include "connector/BRWClient.h"

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"BRWConnector";

// The limit Windows puts on the instances of one name; the serving threads
// make far fewer.
constexpr DWORD kMaxInstances = 16;

DWORD OpenMode(InstanceOrder order)
{
    const DWORD mode = PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED;
    return order == InstanceOrder::First ? mode | FILE_FLAG_FIRST_PIPE_INSTANCE : mode;
}

} // namespace

FileHandle CreatePipeInstance(const std::wstring& pipeName, InstanceOrder order) noexcept
{
    // Only this user and SYSTEM may open it; the first instance or none, so
    // that a pipe of that name made earlier by someone else is never shared;
    // remote clients are never served.
    OwnerOnlySecurity security;
    if (!security.IsValid()) {
        TraceWin32Failure(kComponent, L"pipe security", GetLastError());
        return FileHandle();
    }
    FileHandle pipe(CreateNamedPipeW(pipeName.c_str(), OpenMode(order),
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                                     kMaxInstances, kPipeBufferBytes, kPipeBufferBytes, NMPWAIT_WAIT_FOREVER,
                                     security.Attributes()));
    if (!pipe) {
        TraceWin32Failure(kComponent, L"pipe instance creation", GetLastError());
    }
    return pipe;
}

PipeInstance::PipeInstance(FileHandle pipe, HANDLE stop, ProcessAdmission admits) noexcept
    : pipe_(std::move(pipe)), stop_(stop), admitted_(admits),
      ioDone_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) // manual reset, as overlapped I/O needs
{
    io_.hEvent = ioDone_.get();
}

void PipeInstance::ServeUntilStopped(DWORD context) noexcept
{
    // A stop that comes between two waits is seen by the next one: the
    // event stays signalled.
    while (IsValid() && ServeOneConnection(context) == Outcome::Done) {
    }
}

PipeInstance::Outcome PipeInstance::Finish(BOOL started, DWORD* transferred) noexcept
{
    if (!started && GetLastError() != ERROR_IO_PENDING) {
        return Outcome::Failed;
    }
    const HANDLE waits[] = {ioDone_.get(), stop_};
    if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0) {
        // The operation writes into io_ and the caller's buffer until it has
        // ended, so it is waited for after the cancel.
        CancelIo(pipe_.get());
        GetOverlappedResult(pipe_.get(), &io_, transferred, TRUE);
        return Outcome::Stopped;
    }
    // Waiting here costs nothing once the operation is complete, and covers
    // the moment between its event and its status being written.
    return GetOverlappedResult(pipe_.get(), &io_, transferred, TRUE) ? Outcome::Done : Outcome::Failed;
}

PipeInstance::Outcome PipeInstance::AwaitClient() noexcept
{
    const BOOL connected = ConnectNamedPipe(pipe_.get(), &io_);
    // A client that connected before the wait has signalled nothing.
    if (!connected && GetLastError() == ERROR_PIPE_CONNECTED) {
        return Outcome::Done;
    }
    DWORD unused = 0;
    return Finish(connected, &unused);
}

PipeInstance::Outcome PipeInstance::ServeOneConnection(DWORD context) noexcept
{
    const Outcome waited = AwaitClient();
    if (waited != Outcome::Done) {
        // A client that came and went before the wait costs only itself;
        // serving goes on.
        const DWORD error = GetLastError();
        if (waited == Outcome::Failed && error == ERROR_NO_DATA) {
            DisconnectNamedPipe(pipe_.get());
            return Outcome::Done;
        }
        if (waited == Outcome::Failed) {
            TraceWin32Failure(kComponent, L"pipe client wait", error);
        }
        return waited;
    }
    Outcome served = Outcome::Done;
    // A request may name any document of this user: a process of another
    // user gets nothing, not even a failure reply.
    if (AdmitsConnectedClient()) {
        // Two bytes more than a request may fill and zeroed: whatever a
        // client sends, the text ends inside the buffer.
        HeapBlock<wchar_t> request = AllocateHeapBlock<wchar_t>(kRequestLimitBytes + sizeof(wchar_t));
        served = request ? Receive(request.get()) : Outcome::Failed;
        if (served == Outcome::Done) {
            served = Answer(context, request.get());
        }
    }
    DisconnectNamedPipe(pipe_.get());
    return served == Outcome::Stopped ? served : Outcome::Done;
}

PipeInstance::Outcome PipeInstance::Receive(wchar_t* request) noexcept
{
    DWORD read = 0;
    // A message longer than the limit fails the read (more data) and is
    // dropped unanswered, as is a client that goes without a word.
    const Outcome outcome = Finish(ReadFile(pipe_.get(), request, kRequestLimitBytes, nullptr, &io_), &read);
    return outcome == Outcome::Done && read == 0 ? Outcome::Failed : outcome;
}

bool PipeInstance::AdmitsConnectedClient() noexcept
{
    ULONG clientId = 0;
    return GetNamedPipeClientProcessId(pipe_.get(), &clientId) && admitted_.Admits(clientId);
}

PipeInstance::Outcome PipeInstance::Answer(DWORD context, const wchar_t* request) noexcept
{
    ClearCommandBuffer(context);
    if (ExecuteCommand(context, request) == 0) {
        const int size = GetReturnBufferSize(context);
        HeapBlock<BYTE> reply = AllocateHeapBlock<BYTE>(size > 0 ? static_cast<size_t>(size) : 1);
        DWORD length = 0;
        if (reply && GetReturnBuffer(context, reply.get(), size, &length) == 0) {
            return Write(reply.get(), length);
        }
    }
    return Write(kFailureMarker, kFailureMarkerBytes);
}

PipeInstance::Outcome PipeInstance::Write(const void* bytes, DWORD length) noexcept
{
    DWORD written = 0;
    // A short or failed write only costs this client.
    const Outcome outcome = Finish(WriteFile(pipe_.get(), bytes, length, nullptr, &io_), &written);
    if (outcome == Outcome::Done) {
        FlushFileBuffers(pipe_.get()); // until the client has read it
    }
    return outcome;
}

} // namespace brw
