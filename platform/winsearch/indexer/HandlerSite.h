// The host's IProtocolHandlerSite: the filters a protocol handler asks for
// by content type, class id or extension.
#pragma once

#include <searchapi.h>

namespace brw::winsearch {

HRESULT CreateHandlerSite(IProtocolHandlerSite** site);

// The filter for a file extension (no dot): the host's own for plain text
// (TXT, CSV, LOG) and RTF, otherwise the one registered for it, and one that
// gives no text when none is.
HRESULT FilterForExtension(const wchar_t* extension, IFilter** filter);

} // namespace brw::winsearch
