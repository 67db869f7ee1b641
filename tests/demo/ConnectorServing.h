#pragma once
// Whether the connector runs for this user as a user would find it: its
// process, its window, and its pipe answering the protocol handler's kind
// of request.
#include "tests/demo/DemoSteps.h"

#include <windows.h>

namespace brwdemo {

// Without a running connector, says so at once (nothing to wait for).
// Otherwise waits up to timeoutMs for its window and for its pipe to answer
// a database-list request, trying the pipe again at each change of the
// index (the crawl's items going in) and ending early if the connector ends.
StepResult WaitForConnectorServing(DWORD timeoutMs);

} // namespace brwdemo
