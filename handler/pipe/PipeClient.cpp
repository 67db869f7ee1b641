#include "handler/pipe/PipeClient.h"

#include "common/AdmittedProcesses.h"
#include "common/FailureTrail.h"
#include "common/Handles.h"
#include "common/TokenUser.h"
#include "handler/pipe/ConnectorStart.h"

#include <cwchar>
#include <new>

namespace brw {
namespace {

constexpr size_t kReadBytes = 32768;

// The connectors found to run as this process's user. The protocol host
// exchanges on several threads at once, so the list has a lock.
class OwnServers {
public:
    bool Admits(DWORD processId) noexcept
    {
        AcquireSRWLockExclusive(&lock_);
        const bool admitted = admitted_.Admits(processId);
        ReleaseSRWLockExclusive(&lock_);
        return admitted;
    }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
    AdmittedProcesses admitted_{&RunsAsOwnUser};
};

OwnServers& KnownOwnServers()
{
    static OwnServers servers;
    return servers;
}

// Only a missing pipe is a reason to start the connector and only a busy one
// a reason to wait: a pipe we may not open (another user's connector, or a
// squatter) stays so however often the connector is started.
FileHandle OpenPipe(const PipeEndpoint& endpoint)
{
    for (;;) {
        FileHandle pipe(
            CreateFileW(endpoint.pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        if (pipe) {
            return pipe;
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) {
            if (!endpoint.startConnector()) {
                return {};
            }
        } else if (error != ERROR_PIPE_BUSY) {
            return {};
        }
        // Fails at once when no pipe of that name exists.
        if (!WaitNamedPipeW(endpoint.pipeName, endpoint.waitMs)) {
            return {};
        }
    }
}

bool WriteRequest(HANDLE pipe, const wchar_t* request)
{
    const size_t units = std::wcslen(request) + 1;
    if (units > MAXDWORD / sizeof(wchar_t)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    const DWORD bytes = static_cast<DWORD>(units * sizeof(wchar_t));
    DWORD written = 0;
    return WriteFile(pipe, request, bytes, &written, nullptr) && written == bytes;
}

// Reads the whole message, growing the buffer while the pipe reports more.
bool ReadReply(HANDLE pipe, PipeReply* reply, size_t* totalBytes)
{
    size_t total = 0;
    for (;;) {
        const size_t capacityBytes = reply->Capacity() * sizeof(wchar_t);
        if (capacityBytes - total < kReadBytes) {
            if (capacityBytes >= kMaxReplyBytes) {
                SetLastError(ERROR_MORE_DATA);
                return false;
            }
            reply->Reserve(reply->Capacity() * 2);
            continue;
        }
        DWORD read = 0;
        const BOOL done = ReadFile(pipe, reinterpret_cast<BYTE*>(reply->Buffer()) + total,
                                   static_cast<DWORD>(kReadBytes), &read, nullptr);
        total += read;
        if (done) {
            *totalBytes = total;
            return true;
        }
        if (GetLastError() != ERROR_MORE_DATA) {
            return false;
        }
    }
}

HRESULT ClassifyReply(PipeReply* reply, size_t bytes)
{
    reply->SetLengthInBytes(bytes);
    if (bytes < kMarkerLimitBytes) {
        // The zero-filled buffer supplies the NUL after a marker sent
        // without one.
        if (std::wmemcmp(reply->Text(), kFailureMarker, kFailureMarkerBytes / sizeof(wchar_t) + 1) == 0) {
            return kConnectorUnavailable;
        }
        if (std::wmemcmp(reply->Text(), kDeletedMarker, kDeletedMarkerBytes / sizeof(wchar_t) + 1) == 0) {
            return kDocumentDeleted;
        }
    }
    return S_OK;
}

constexpr wchar_t kTrailComponent[] = L"BRWHandler pipe";

// Leaves the step and its error on the failure trail and keeps the last
// error for the caller, who may report it too.
HRESULT Unavailable(const wchar_t* step) noexcept
{
    const DWORD error = GetLastError();
    TraceWin32Failure(kTrailComponent, step, error);
    SetLastError(error);
    return kConnectorUnavailable;
}

HRESULT Exchange(const PipeEndpoint& endpoint, PipeReply* reply, const wchar_t* request)
{
    FileHandle pipe = OpenPipe(endpoint);
    if (!pipe) {
        return Unavailable(L"open the connector's pipe");
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) {
        return Unavailable(L"set the pipe's message mode");
    }
    // A request may carry a document's identity; it goes to no one else.
    if (!endpoint.isOwnServer(pipe.get())) {
        SetLastError(ERROR_ACCESS_DENIED);
        return Unavailable(L"check that the pipe's server runs as this user");
    }
    size_t bytes = 0;
    if (!WriteRequest(pipe.get(), request) || !ReadReply(pipe.get(), reply, &bytes)) {
        reply->Clear(); // a part of a reply is no reply
        return Unavailable(L"send the request and read the reply");
    }
    const HRESULT result = ClassifyReply(reply, bytes);
    if (result == kConnectorUnavailable) {
        TraceFailure(kTrailComponent, L"the connector answered with the failure marker", result);
    }
    return result;
}

} // namespace

bool IsServerOfSameUser(HANDLE pipe) noexcept
{
    ULONG serverId = 0;
    if (!GetNamedPipeServerProcessId(pipe, &serverId)) {
        return false;
    }
    KernelHandle thread;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, kCheckAccessAsProcess, thread.put())) {
        // An impersonated user is rare and is checked every time.
        const HeapBlock<TOKEN_USER> impersonated = ReadTokenUser(thread.get());
        return IsSameUser(impersonated.get(), ReadProcessIdUser(serverId).get());
    }
    return KnownOwnServers().Admits(serverId);
}

HRESULT ExchangeOverPipe(const PipeEndpoint& endpoint, PipeReply* reply, const wchar_t* request)
{
    if (!reply || !request) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return kConnectorUnavailable;
    }
    // Whatever fails, no earlier reply is left to be taken for this one's.
    reply->Clear();
    try {
        return Exchange(endpoint, reply, request);
    } catch (const std::bad_alloc&) {
        reply->Clear();
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return kConnectorUnavailable;
    }
}

HRESULT SendPipeRequest(PipeReply* reply, const wchar_t* request)
{
    static const PipeEndpoint kConnector = {kConnectorPipeName, &StartConnector, kPipeWaitMs};
    return ExchangeOverPipe(kConnector, reply, request);
}

} // namespace brw
