#include "common/FailureTrail.h"

#include "common/DebugConsole.h"
#include "common/WideString.h"

#include <new>

namespace brw {

std::wstring FormatFailureLine(const wchar_t* component, const wchar_t* step, HRESULT result)
{
    return FormatText(L"%s: %s failed 0x%08X\n", component ? component : L"", step ? step : L"",
                      static_cast<unsigned>(result));
}

void TraceFailure(const wchar_t* component, const wchar_t* step, HRESULT result) noexcept
{
    if (!IsDebugConsoleOn()) {
        return;
    }
    try {
        const std::wstring line = FormatFailureLine(component, step, result);
        OutputDebugStringW(line.c_str());
        LogString(line.c_str());
    } catch (const std::bad_alloc&) {
        // A trail line that cannot be built is dropped, like one that cannot be written.
    }
}

void TraceWin32Failure(const wchar_t* component, const wchar_t* step, DWORD error) noexcept
{
    TraceFailure(component, step, HRESULT_FROM_WIN32(error));
}

} // namespace brw
