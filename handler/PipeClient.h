// The client end of the connector's pipe: one request, one reply, one
// connection per exchange.
#pragma once
#include <windows.h>

#include "handler/PipeReply.h"

namespace brw {

constexpr wchar_t kConnectorPipeName[] = L"\\\\.\\pipe\\QXServer";
constexpr HRESULT kConnectorUnavailable = static_cast<HRESULT>(0x80041206L);
constexpr HRESULT kDocumentDeleted = static_cast<HRESULT>(0x80041201L);
constexpr DWORD kPipeWaitMs = 20000;
// A reply longer than this is not a reply of our connector.
constexpr size_t kMaxReplyBytes = 256u * 1024u * 1024u;

// Where an exchange goes and what it does when the pipe is missing; the
// product uses the connector's pipe and StartConnector.
struct PipeEndpoint {
    const wchar_t* pipeName;
    bool (*startConnector)();
    DWORD waitMs;
};

// One complete exchange with the connector: S_OK with the reply in *reply,
// kDocumentDeleted for "<deletedoc/>", kConnectorUnavailable for
// "<failure/>" and for every failure to reach the connector.
HRESULT SendPipeRequest(PipeReply* reply, const wchar_t* request);
HRESULT ExchangeOverPipe(const PipeEndpoint& endpoint, PipeReply* reply, const wchar_t* request);

// True when the process at the server end of the pipe runs as the same user
// as this process.
bool IsServerOfSameUser(HANDLE pipe);

} // namespace brw
