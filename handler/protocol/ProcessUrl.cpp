// The exported entry point: the launcher and the context menu open results
// through it.
#include "handler/protocol/ProcessUrl.h"

#include "common/FailureTrail.h"
#include "handler/module/ComForThisCall.h"
#include "handler/protocol/OpenResult.h"
#include "handler/protocol/ShellOpenEnvironment.h"

#include <new>

extern "C" int WINAPI ProcessURL(const wchar_t* verb, const wchar_t* url) noexcept
{
    try {
        // The shell and the attachment services want COM on the thread.
        const brw::ComForThisCall com;
        brw::ShellOpenEnvironment environment;
        return brw::OpenBrwUrl(verb, url, environment);
    } catch (const std::bad_alloc&) {
        brw::TraceFailure(L"ProcessURL", L"open", E_OUTOFMEMORY);
        return 1;
    }
}
