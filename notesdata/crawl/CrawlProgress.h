#pragma once
// Where the crawl is, for the connector's tray tip and list window: the
// database being indexed and how many of its changes went to the catalogue,
// or that the last pass ended. The crawl thread writes it, the connector's
// window reads it through an export, so every access takes the lock. The
// window is told when indexing begins and when the pass ends, through the
// watch, and reads the record only in between.
#include "notesdata/crawl/CrawlWatch.h"
#include "notesdata/exports/BRWDataExports.h"

#include <windows.h>

#include <string>

namespace brw {

class CrawlProgress {
public:
    CrawlProgress();
    CrawlProgress(const CrawlProgress&) = delete;
    CrawlProgress& operator=(const CrawlProgress&) = delete;

    // A database's turn begins; a name longer than the record keeps its end,
    // which holds the file name. The first of a pass tells the watch that
    // the pass began.
    void DatabaseStarted(const std::wstring& name) noexcept;
    void DocumentSent() noexcept;
    // Tells the watch, also after a pass that had no database to index.
    void PassFinished() noexcept;

    BRWCrawlStatus Snapshot() const noexcept;
    // For a caller across the library's boundary: false, and nothing
    // written, when status is null or its size is not this structure's.
    bool CopyTo(BRWCrawlStatus* status) const noexcept;

    CrawlWatch& Watch() noexcept { return watch_; }

private:
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    BRWCrawlStatus status_{};
    CrawlWatch watch_;
};

} // namespace brw
