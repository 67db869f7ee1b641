// The filtering worker: the part of the indexer host that loads protocol
// handlers and filters, in a process of its own.
#pragma once

namespace brw::winsearch {

// Serves gather requests on the named pipe until the host closes it.
int RunWorker(const wchar_t* pipeName);

} // namespace brw::winsearch
