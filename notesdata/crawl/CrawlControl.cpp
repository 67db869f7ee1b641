#include "notesdata/crawl/CrawlControl.h"

#include <objbase.h>

namespace brw {
namespace {

enum class Reset : BOOL { Automatic = FALSE, Manual = TRUE };
enum class Initially : BOOL { Clear = FALSE, Signalled = TRUE };

HANDLE MakeEvent(Reset reset)
{
    return CreateEventW(nullptr, static_cast<BOOL>(reset), static_cast<BOOL>(Initially::Clear), nullptr);
}

} // namespace

CrawlControl::CrawlControl()
    : stop_(MakeEvent(Reset::Manual)), wake_(MakeEvent(Reset::Automatic)), passFinished_(MakeEvent(Reset::Automatic))
{
}

CrawlControl& CrawlControl::Process()
{
    static CrawlControl control;
    return control;
}

void CrawlControl::RequestStop() noexcept
{
    if (stop_) {
        SetEvent(stop_.get());
    }
}

void CrawlControl::RequestCrawlNow() noexcept
{
    if (wake_) {
        SetEvent(wake_.get());
    }
}

void CrawlControl::ReportPassFinished() const noexcept
{
    if (passFinished_) {
        SetEvent(passFinished_.get());
    }
}

bool CrawlControl::WaitForPassFinished(DWORD timeoutMs) const noexcept
{
    return passFinished_ && WaitForSingleObject(passFinished_.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool CrawlControl::StopRequested() const noexcept
{
    return !stop_ || WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0;
}

WaitOutcome CrawlControl::WaitForNextPass(DWORD periodMs) const noexcept
{
    if (!IsReady()) {
        return WaitOutcome::Stopped;
    }
    // Stop first in the array: when both are set, the stop wins.
    HANDLE handles[] = {stop_.get(), wake_.get()};
    DWORD index = 0;
    const HRESULT hr = CoWaitForMultipleHandles(0, periodMs, ARRAYSIZE(handles), handles, &index);
    if (hr == RPC_S_CALLPENDING) {
        return WaitOutcome::NextPass; // the period ended
    }
    if (FAILED(hr) || index == 0) {
        return WaitOutcome::Stopped;
    }
    return WaitOutcome::NextPass;
}

} // namespace brw
