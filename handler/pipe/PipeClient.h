// The client end of the connector's pipe: one request, one reply, one
// connection per exchange.
#pragma once
#include "common/PipeProtocol.h"
#include "handler/pipe/PipeReply.h"

#include <windows.h>

namespace brw {

constexpr DWORD kPipeWaitMs = 20000;
// A reply longer than this is not a reply of our connector.
constexpr size_t kMaxReplyBytes = 256u * 1024u * 1024u;

// True when the process at the server end of the pipe runs as the user this
// thread acts for (the impersonated one, else the process's own). A server
// found to run as the process's own user is remembered while it runs.
bool IsServerOfSameUser(HANDLE pipe) noexcept;

// Where an exchange goes, what it does when the pipe is missing and whom it
// trusts at the other end; the product uses the connector's pipe,
// StartConnector and IsServerOfSameUser.
struct PipeEndpoint {
    const wchar_t* pipeName;
    bool (*startConnector)();
    DWORD waitMs;
    bool (*isOwnServer)(HANDLE pipe) = &IsServerOfSameUser;
};

// One complete exchange with the connector: S_OK with the reply in *reply,
// kDocumentDeleted for "<deletedoc/>", kConnectorUnavailable for
// "<failure/>" and for every failure to reach the connector. On every
// failure the reply is empty and, where Windows gave one, the last error
// says why: the pipe's open error, ERROR_ACCESS_DENIED for a server of
// another user.
HRESULT SendPipeRequest(PipeReply* reply, const wchar_t* request);
HRESULT ExchangeOverPipe(const PipeEndpoint& endpoint, PipeReply* reply, const wchar_t* request);

} // namespace brw
