// Opening a result away from the caller's thread: Explorer calls the menu on
// its window's thread, which must not wait for the connector or the Notes
// client to start.
#pragma once
#include <windows.h>

#include <string>

namespace brw {

// What opens a result: ProcessURL's signature (0 opened, 1 not).
using UrlOpener = int(WINAPI*)(const wchar_t* verb, const wchar_t* url);

// Runs opener(verb, url) on a thread of its own and returns once that thread
// exists. The thread keeps the module containing this code loaded until it
// has returned, so a shell that unloads the module meanwhile cannot pull the
// code away under it. Throws std::bad_alloc.
HRESULT OpenOnWorkerThread(UrlOpener opener, const std::wstring& verb, const std::wstring& url);

} // namespace brw
