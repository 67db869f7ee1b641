#pragma once
// Stops and wakes the crawl loop. The loop waits between passes on two
// events instead of sleeping: "stop" ends it at once and for good (the
// connector stops the crawl before it ends Notes at exit), "crawl now"
// starts the next pass at once (after a database was added or the
// installation enabled). The connector reaches the process's control
// through BRWData's exports BRWCrawlStop and BRWCrawlNow.
#include "common/Handles.h"
#include "notesdata/crawl/CrawlProgress.h"

#include <windows.h>

namespace brw {

enum class WaitOutcome { NextPass, Stopped };

class CrawlControl {
public:
    CrawlControl();
    CrawlControl(const CrawlControl&) = delete;
    CrawlControl& operator=(const CrawlControl&) = delete;

    // The control the connector's exports act on.
    static CrawlControl& Process();

    // Stays in force: a crawl started after a stop ends at once.
    void RequestStop() noexcept;
    // Wakes a waiting loop once; a request while a pass runs makes the
    // next wait end at once.
    void RequestCrawlNow() noexcept;
    bool StopRequested() const noexcept;

    // Waits for a period, a stop or a crawl-now request. The waiting thread
    // is a single-threaded apartment holding COM objects, so the wait
    // dispatches COM's messages; a failed wait counts as a stop.
    WaitOutcome WaitForNextPass(DWORD periodMs) const noexcept;

    // The loop says when a pass is over, for whoever waits for one (a
    // status display, a test); false when none ended within the time.
    void ReportPassFinished() const noexcept;
    bool WaitForPassFinished(DWORD timeoutMs) const noexcept;

    // The record of where the crawl is; its own lock makes it safe to
    // write from the crawl thread through a const control.
    CrawlProgress& Progress() const noexcept { return progress_; }

    // Whether the events exist; without them every wait is a stop.
    bool IsReady() const noexcept { return stop_ && wake_ && passFinished_; }

private:
    KernelHandle stop_;
    KernelHandle wake_;
    KernelHandle passFinished_;
    mutable CrawlProgress progress_;
};

} // namespace brw
