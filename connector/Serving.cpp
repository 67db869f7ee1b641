#include "connector/Serving.h"

#include "common/DebugConsole.h"
#include "common/FailureTrail.h"
#include "connector/CrawlRoot.h"
#include "connector/LateBinding.h"
#include "connector/PipeServer.h"
#include "connector/UserIdentity.h"

#include <objbase.h>

#include <algorithm>
#include <memory>
#include <new>

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"BRWConnector";
constexpr DWORD kStopRetryMs = 20;

// Takes over parameter when the thread starts.
KernelHandle StartThread(LPTHREAD_START_ROUTINE routine, std::unique_ptr<std::wstring>& parameter)
{
    KernelHandle thread(CreateThread(nullptr, 0, routine, parameter.get(), 0, nullptr));
    if (thread) {
        parameter.release();
    }
    return thread;
}

DWORD RemainingMs(ULONGLONG deadline)
{
    const ULONGLONG now = GetTickCount64();
    return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
}

bool Ended(const KernelHandle& thread, ULONGLONG deadline)
{
    return !thread || WaitForSingleObject(thread.get(), RemainingMs(deadline)) == WAIT_OBJECT_0;
}

// The thread publishes its listener only once it is prepared for Notes; a
// stop that comes before finds nothing to stop, so it is asked again until
// it takes. Once taken, every serving thread sees it at its next wait, and
// the thread returns when all have ended.
bool StopPipeServer(const KernelHandle& thread, ULONGLONG deadline)
{
    for (;;) {
        if (RequestPipeServerStop()) {
            return Ended(thread, deadline);
        }
        if (WaitForSingleObject(thread.get(), std::min(kStopRetryMs, RemainingMs(deadline))) == WAIT_OBJECT_0) {
            return true;
        }
        if (RemainingMs(deadline) == 0) {
            return false;
        }
    }
}

} // namespace

HRESULT RegisterCrawlRootOrSayWhy() noexcept
{
    // A standard user may not change SystemIndex (Windows asks for an
    // elevated caller); the installer registers the root for the installing
    // user, so a refusal here costs nothing and serving goes on.
    const HRESULT hr = RegisterCrawlRoot();
    if (FAILED(hr)) {
        TraceFailure(kComponent, L"crawl root registration", hr);
    }
    return hr;
}

DWORD WINAPI CrawlStartThread(void* parameter) noexcept
{
    std::unique_ptr<std::wstring> request(static_cast<std::wstring*>(parameter));
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        return 0;
    }
    const CommandClientCalls* client = CommandClient();
    BRWCommandContext context = 0;
    if (client != nullptr && client->initialize(&context) == 0) {
        // The data service's crawl loop: it returns when the crawl is
        // stopped or gives up; its reply is of no interest.
        client->execute(context, request->c_str());
        client->free(context);
    }
    CoUninitialize();
    return 0;
}

void StopDataServiceCrawl() noexcept
{
    if (const DataServiceCalls* data = DataService()) {
        data->crawlStop();
    }
}

std::wstring CrawlRequest(const std::wstring& identity)
{
    return L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><crawl_databases sid=\"" + identity +
           L"\" initthread=\"true\" />";
}

ServingStart Serving::Start()
{
    parts_.registerCrawlRoot();
    try {
        auto pipeName = std::make_unique<std::wstring>(parts_.pipeName);
        pipeThread_ = StartThread(&PipeServerThread, pipeName);
        if (!pipeThread_) {
            return ServingStart::NoPipeServer;
        }
        auto request = std::make_unique<std::wstring>(CrawlRequest(UserIdentity()));
        crawlThread_ = StartThread(parts_.crawl, request);
    } catch (const std::bad_alloc&) {
        if (!pipeThread_) {
            return ServingStart::NoPipeServer;
        }
    }
    return crawlThread_ ? ServingStart::Serving : ServingStart::NoCrawl;
}

ServingStop Serving::Stop(DWORD waitMs)
{
    const ULONGLONG deadline = GetTickCount64() + waitMs;
    if (crawlThread_) {
        parts_.stopCrawl();
    }
    const bool ended = (!pipeThread_ || StopPipeServer(pipeThread_, deadline)) && Ended(crawlThread_, deadline);
    if (!ended) {
        LogString(L"BRWConnector threads did not end in time\n");
        return ServingStop::Overdue;
    }
    pipeThread_.reset();
    crawlThread_.reset();
    return ServingStop::Ended;
}

} // namespace brw
