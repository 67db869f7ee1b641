// The host's side of the filtering worker: a child process (this program,
// started with --worker) that loads protocol handlers and filters and
// gathers one item per request. A worker that crashes or overruns the
// per-item time limit is ended and replaced, so a bad filter costs only the
// item it was reading.
#pragma once

#include "common/Handles.h"
#include "platform/winsearch/indexer/WorkerMessages.h"
#include "platform/winsearch/indexer/WorkerPipe.h"

#include <memory>
#include <string>

namespace brw::winsearch {

constexpr wchar_t kWorkerSwitch[] = L"--worker";

class WorkerClient {
public:
    explicit WorkerClient(DWORD itemTimeoutMs) : itemTimeoutMs_(itemTimeoutMs) {}
    ~WorkerClient();
    WorkerClient(const WorkerClient&) = delete;
    WorkerClient& operator=(const WorkerClient&) = delete;

    // The reply's status is the item's result. The call itself fails with
    // HRESULT_FROM_WIN32(ERROR_TIMEOUT) for a worker that overran the limit
    // and GTHR_E_FILTER_PROCESS_TERMINATED for one that died; both workers
    // are gone afterwards and the next call starts a new one.
    HRESULT Gather(const GatherRequest& request, GatherReply* reply);

    // Closes the pipe, which makes the worker shut its handlers down and
    // exit; waits a little for that, then ends it.
    void Stop();

private:
    HRESULT Start();
    void Kill();

    DWORD itemTimeoutMs_;
    KernelHandle process_;
    std::unique_ptr<OverlappedPipe> pipe_;
};

} // namespace brw::winsearch
