// The gathering pool: several filtering workers, each driven by a thread of
// its own, take the submitted URLs in order and hand back what they
// gathered as each finishes. Windows gathers with several filtering threads
// at once; a protocol handler that waits on another process for most of an
// item then overlaps that wait with the next items. Results come back in the
// order they finish, on the submitting thread, which alone writes the
// catalogue.
#pragma once

#include "platform/winsearch/indexer/WorkerClient.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace brw::winsearch {

struct GatherOutcome {
    GatherRequest request;
    HRESULT call = S_OK;         // WorkerClient::Gather's own result
    std::uint64_t startedAt = 0; // when the gathering began, as a FILETIME count
    GatherReply reply;
};

class Gatherer {
public:
    static constexpr unsigned kMaxWorkers = 16;

    Gatherer(DWORD itemTimeoutMs, unsigned workers);
    ~Gatherer();
    Gatherer(const Gatherer&) = delete;
    Gatherer& operator=(const Gatherer&) = delete;

    void Submit(GatherRequest request);
    // Waits for the next finished item; false when nothing is outstanding.
    bool Next(GatherOutcome* outcome);
    // Ends the threads and their workers; the next Submit starts them again.
    void Stop();

private:
    void Start();
    void Serve(WorkerClient* worker);

    DWORD itemTimeoutMs_;
    unsigned workerCount_;
    std::mutex lock_;
    std::condition_variable submitted_;
    std::condition_variable finished_;
    std::deque<GatherRequest> waiting_;
    std::deque<GatherOutcome> done_;
    size_t outstanding_ = 0;
    bool stopping_ = false;
    std::vector<std::unique_ptr<WorkerClient>> workers_;
    std::vector<std::thread> threads_;
};

} // namespace brw::winsearch
