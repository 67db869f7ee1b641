#pragma once
// Serving: the crawl root registered with Windows Search, the pipe server
// thread answering the protocol handler, and the crawl-start thread running
// the data service's crawl for this user. Stopping is orderly: both threads
// are asked to end and are waited for before Notes may be ended.
#include "common/Handles.h"
#include "common/PipeProtocol.h"

#include <windows.h>

#include <string>

namespace brw {

enum class ServingStart {
    Serving,
    NoPipeServer, // nothing runs
    NoCrawl,      // the pipe server runs and must be stopped
};

enum class ServingStop {
    Ended,   // both threads ended: Notes may be ended and unloaded
    Overdue, // a thread still runs: leave Notes alone
};

// How long the exit waits for the threads, together.
inline constexpr DWORD kServingStopWaitMs = 30000;

// The crawl command the crawl-start thread sends for identity.
std::wstring CrawlRequest(const std::wstring& identity);

// The crawl-start thread: runs the data service's crawl loop for the
// request it takes over (a heap-allocated std::wstring).
DWORD WINAPI CrawlStartThread(void* parameter) noexcept;
// Asks the data service's crawl to end; nothing when it is not bound.
void StopDataServiceCrawl() noexcept;
// Registers the crawl root and says why when it cannot; never fails serving.
HRESULT RegisterCrawlRootOrSayWhy() noexcept;

// What serving starts and how it asks each part to end: the program's own
// parts unless a test puts in its own.
struct ServingParts {
    HRESULT (*registerCrawlRoot)() noexcept = &RegisterCrawlRootOrSayWhy;
    std::wstring pipeName = kConnectorPipeName;
    // Takes over its parameter, the crawl request.
    LPTHREAD_START_ROUTINE crawl = &CrawlStartThread;
    void (*stopCrawl)() noexcept = &StopDataServiceCrawl;
};

class Serving {
public:
    Serving() = default;
    explicit Serving(ServingParts parts) : parts_(std::move(parts)) {}
    ~Serving() = default;
    Serving(const Serving&) = delete;
    Serving& operator=(const Serving&) = delete;

    // The calling thread must be in a COM apartment (for the registration).
    ServingStart Start();
    // Asks the crawl and the pipe server to end and waits for both, at most
    // waitMs in all. After Overdue the threads are left running, their
    // handles kept: the caller leaves Notes alone and ends the process.
    ServingStop Stop(DWORD waitMs = kServingStopWaitMs);
    bool IsStarted() const { return static_cast<bool>(pipeThread_); }

private:
    ServingParts parts_;
    KernelHandle pipeThread_;
    KernelHandle crawlThread_;
};

} // namespace brw
