// What the connector (32-bit) and the protocol handler (64-bit) agree on
// about the pipe between them. Both sides include this header, so a name or
// a limit can never differ between the two builds.
#pragma once

#include <windows.h>
#include <windowssearcherrors.h>

#include <cstddef>

namespace brw {

// The connector's pipe; it serves a few clients at once, one request per
// connection, and a client finding every instance busy waits for one.
inline constexpr wchar_t kConnectorPipeName[] = L"\\\\.\\pipe\\QXServer";
// Handler processes take turns at starting the connector through it.
inline constexpr wchar_t kConnectorStartSemaphore[] = L"Global\\QXServer";

// A request, its terminating NUL included, fills at most this many bytes;
// the server reads one message of at most this size.
inline constexpr DWORD kRequestLimitBytes = 0x8000;
// The pipe's buffers in each direction; a reply is one message of any size.
inline constexpr DWORD kPipeBufferBytes = 0x8000;

// The connector's reply when a command fails; sent without a NUL.
inline constexpr wchar_t kFailureMarker[] = L"<failure/>";
// The data service's whole reply for a document that no longer exists.
inline constexpr wchar_t kDeletedMarker[] = L"<deletedoc/>";
// Their sizes on the pipe, without a NUL.
inline constexpr DWORD kFailureMarkerBytes = sizeof(kFailureMarker) - sizeof(wchar_t);
inline constexpr DWORD kDeletedMarkerBytes = sizeof(kDeletedMarker) - sizeof(wchar_t);
// A marker counts only as a whole reply, and every whole marker is shorter.
inline constexpr std::size_t kMarkerLimitBytes = 25;
static_assert(kDeletedMarkerBytes < kMarkerLimitBytes && kFailureMarkerBytes < kMarkerLimitBytes,
              "a whole marker is shorter than the limit");

// What the handler's exchange reports: the connector could not be reached
// or answered with the failure marker, and the deleted-document marker.
inline constexpr HRESULT kConnectorUnavailable = PRTH_E_SERVER_ERROR;
inline constexpr HRESULT kDocumentDeleted = PRTH_E_OBJ_NOT_FOUND;

} // namespace brw
