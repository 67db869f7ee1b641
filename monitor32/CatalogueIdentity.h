// The identity of the search catalogue "SystemIndex" as Windows Search
// reports it with its items-changed sink: a reset signature that changes
// when the index is reset or rebuilt, a checkpoint signature and the last
// checkpoint number.
#pragma once

#include <windows.h>

namespace brw {

struct CatalogueIdentity {
    GUID resetSignature{};
    GUID checkpointSignature{};
    DWORD lastCheckpointNumber = 0;
};

// How the monitor learns the identity; tests put a source of their own in.
using CatalogueIdentityQuery = HRESULT (*)(CatalogueIdentity* identity);

// Asks the search manager of this machine. The sink it hands out with the
// identity is released at once: it is never used to send changes, and no
// notification site is given, since the asking thread may wait for a long
// time without pumping. Fails with the first failed step, the sink's
// request included; *identity is changed only on success.
HRESULT QuerySystemCatalogueIdentity(CatalogueIdentity* identity) noexcept;

} // namespace brw
