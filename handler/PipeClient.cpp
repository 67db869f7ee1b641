#include "handler/PipeClient.h"

#include "common/Handles.h"
#include "handler/ConnectorStart.h"

#include <cwchar>
#include <new>

namespace brw {
namespace {

constexpr size_t kReadBytes = 32768;
// The markers count only as the whole reply, which is shorter than this.
constexpr size_t kMarkerLimitBytes = 25;

HeapBlock<TOKEN_USER> UserOfToken(HANDLE token)
{
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    if (size == 0 || size > 64 * 1024) {
        return {};
    }
    auto user = AllocateHeapBlock<TOKEN_USER>(size);
    if (!user || !::GetTokenInformation(token, TokenUser, user.get(), size, &size)) {
        return {};
    }
    return user;
}

HeapBlock<TOKEN_USER> UserOfProcess(HANDLE process)
{
    KernelHandle token;
    if (!::OpenProcessToken(process, TOKEN_QUERY, token.put())) {
        return {};
    }
    return UserOfToken(token.get());
}

// The process's own user never changes, so it is looked up once.
const TOKEN_USER* ProcessUser()
{
    static const HeapBlock<TOKEN_USER> user = UserOfProcess(::GetCurrentProcess());
    return user.get();
}

// The identity the pipe was opened with: an impersonated user (the
// indexer's protocol host works for the user whose items it crawls), else
// the process's own.
bool ClientUserMatches(PSID serverSid)
{
    KernelHandle thread;
    if (::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, thread.put())) {
        auto impersonated = UserOfToken(thread.get());
        return impersonated && ::EqualSid(impersonated.get()->User.Sid, serverSid);
    }
    const TOKEN_USER* own = ProcessUser();
    return own && ::EqualSid(own->User.Sid, serverSid);
}

FileHandle OpenPipe(const PipeEndpoint& endpoint)
{
    for (;;) {
        FileHandle pipe(::CreateFileW(endpoint.pipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                      nullptr));
        if (pipe) {
            return pipe;
        }
        if (::GetLastError() != ERROR_PIPE_BUSY && !endpoint.startConnector()) {
            return {};
        }
        // Fails at once when no pipe of that name exists.
        if (!::WaitNamedPipeW(endpoint.pipeName, endpoint.waitMs)) {
            return {};
        }
    }
}

bool WriteRequest(HANDLE pipe, const wchar_t* request)
{
    const size_t units = std::wcslen(request) + 1;
    if (units > MAXDWORD / sizeof(wchar_t)) {
        return false;
    }
    const DWORD bytes = static_cast<DWORD>(units * sizeof(wchar_t));
    DWORD written = 0;
    return ::WriteFile(pipe, request, bytes, &written, nullptr) && written == bytes;
}

// Reads the whole message, growing the buffer while the pipe reports more.
bool ReadReply(HANDLE pipe, PipeReply* reply, size_t* totalBytes)
{
    reply->Clear();
    size_t total = 0;
    for (;;) {
        const size_t capacityBytes = reply->Capacity() * sizeof(wchar_t);
        if (capacityBytes - total < kReadBytes) {
            if (capacityBytes >= kMaxReplyBytes) {
                return false;
            }
            reply->Reserve(reply->Capacity() * 2);
            continue;
        }
        DWORD read = 0;
        const BOOL done = ::ReadFile(pipe, reinterpret_cast<BYTE*>(reply->Buffer()) + total,
                                     static_cast<DWORD>(kReadBytes), &read, nullptr);
        total += read;
        if (done) {
            *totalBytes = total;
            return true;
        }
        if (::GetLastError() != ERROR_MORE_DATA) {
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
        if (std::wmemcmp(reply->Text(), L"<failure/>", 11) == 0) {
            return kConnectorUnavailable;
        }
        if (std::wmemcmp(reply->Text(), L"<deletedoc/>", 13) == 0) {
            return kDocumentDeleted;
        }
    }
    return S_OK;
}

} // namespace

bool IsServerOfSameUser(HANDLE pipe)
{
    ULONG serverId = 0;
    if (!::GetNamedPipeServerProcessId(pipe, &serverId)) {
        return false;
    }
    KernelHandle server(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, serverId));
    if (!server) {
        return false;
    }
    auto theirs = UserOfProcess(server.get());
    return theirs && ClientUserMatches(theirs.get()->User.Sid);
}

HRESULT ExchangeOverPipe(const PipeEndpoint& endpoint, PipeReply* reply, const wchar_t* request)
{
    if (!reply || !request) {
        return kConnectorUnavailable;
    }
    FileHandle pipe = OpenPipe(endpoint);
    if (!pipe) {
        return kConnectorUnavailable;
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (!::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) {
        return kConnectorUnavailable;
    }
    // A request may carry a document's identity; it goes to no one else.
    if (!IsServerOfSameUser(pipe.get()) || !WriteRequest(pipe.get(), request)) {
        return kConnectorUnavailable;
    }
    size_t bytes = 0;
    try {
        if (!ReadReply(pipe.get(), reply, &bytes)) {
            reply->Clear();
            return kConnectorUnavailable;
        }
    } catch (const std::bad_alloc&) {
        reply->Clear();
        return kConnectorUnavailable;
    }
    return ClassifyReply(reply, bytes);
}

HRESULT SendPipeRequest(PipeReply* reply, const wchar_t* request)
{
    static const PipeEndpoint kConnector = {kConnectorPipeName, &StartConnector, kPipeWaitMs};
    return ExchangeOverPipe(kConnector, reply, request);
}

} // namespace brw
