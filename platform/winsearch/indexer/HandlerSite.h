// The host's IProtocolHandlerSite: the filters a protocol handler asks for
// by content type, class id or extension.
#pragma once

#include <searchapi.h>

namespace brw::winsearch {

HRESULT CreateHandlerSite(IProtocolHandlerSite** site);

// The filter for a file extension (no dot): the host's own for TXT and RTF,
// otherwise the one registered for it. REGDB_E_CLASSNOTREG when none is.
HRESULT FilterForExtension(const wchar_t* extension, IFilter** filter);

} // namespace brw::winsearch
