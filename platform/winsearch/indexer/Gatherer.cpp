#include "platform/winsearch/indexer/Gatherer.h"

#include "platform/winsearch/core/ItemRecord.h"

#include <algorithm>
#include <new>

namespace brw::winsearch {

Gatherer::Gatherer(DWORD itemTimeoutMs, unsigned workers)
    : itemTimeoutMs_(itemTimeoutMs), workerCount_(std::clamp(workers, 1u, kMaxWorkers))
{
}

Gatherer::~Gatherer()
{
    Stop();
}

void Gatherer::Start()
{
    stopping_ = false;
    for (unsigned i = 0; i < workerCount_; ++i) {
        workers_.push_back(std::make_unique<WorkerClient>(itemTimeoutMs_));
        threads_.emplace_back(&Gatherer::Serve, this, workers_.back().get());
    }
}

void Gatherer::Submit(GatherRequest request)
{
    std::lock_guard<std::mutex> hold(lock_);
    if (threads_.empty()) {
        Start();
    }
    waiting_.push_back(std::move(request));
    ++outstanding_;
    submitted_.notify_one();
}

bool Gatherer::Next(GatherOutcome* outcome)
{
    std::unique_lock<std::mutex> hold(lock_);
    if (outstanding_ == 0) {
        return false;
    }
    finished_.wait(hold, [this] { return !done_.empty(); });
    *outcome = std::move(done_.front());
    done_.pop_front();
    --outstanding_;
    return true;
}

void Gatherer::Serve(WorkerClient* worker)
{
    for (;;) {
        GatherOutcome outcome;
        {
            std::unique_lock<std::mutex> hold(lock_);
            submitted_.wait(hold, [this] { return stopping_ || !waiting_.empty(); });
            if (stopping_) {
                break;
            }
            outcome.request = std::move(waiting_.front());
            waiting_.pop_front();
        }
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        outcome.startedAt = FileTimeToCount(now);
        try {
            outcome.call = worker->Gather(outcome.request, &outcome.reply);
        } catch (const std::bad_alloc&) {
            outcome.call = E_OUTOFMEMORY;
        }
        std::lock_guard<std::mutex> hold(lock_);
        done_.push_back(std::move(outcome));
        finished_.notify_one();
    }
    worker->Stop();
}

void Gatherer::Stop()
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        stopping_ = true;
        submitted_.notify_all();
    }
    for (std::thread& thread : threads_) {
        thread.join();
    }
    threads_.clear();
    workers_.clear();
    waiting_.clear();
    done_.clear();
    outstanding_ = 0;
}

} // namespace brw::winsearch
