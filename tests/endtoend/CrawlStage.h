#pragma once
// Everything a crawl run end to end needs, for the end-to-end test and the
// crawl benchmark: a scratch folder with a Notes data directory, a Windows
// Search stand-in state folder named in the environment (every program
// started inherits it), empty product settings, the stand-in, the index
// change monitor and the protocol handler registered in their views, and
// the three programs: the connector's pipe server, the indexer host in a
// loop, and the crawl host. Ended and unregistered in reverse order.
#include "tests/support/ProcessRun.h"
#include "tests/support/ProgramRegistration.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>

#include <memory>
#include <string>

namespace brwtest {

// One report of the crawl host: "pass N ended at T ms, private K KB,
// handles H".
struct PassReport {
    unsigned long pass = 0;
    unsigned long long atMs = 0;
    unsigned long privateKb = 0;
    unsigned long handles = 0;
};

class CrawlStage {
public:
    explicit CrawlStage(const wchar_t* scratchPrefix);
    ~CrawlStage();
    CrawlStage(const CrawlStage&) = delete;
    CrawlStage& operator=(const CrawlStage&) = delete;

    // Every registration took.
    bool Registered() const;

    std::wstring Ini() const { return root_.Sub(L"notes.ini"); }
    // A path under the data directory, quoted for a command line.
    std::wstring Database(const std::wstring& relative) const;

    // The stand-in's tool and programs, run to their end.
    ProcessResult Notesdb(const std::wstring& arguments) const;
    ProcessResult Query(const std::wstring& arguments) const;
    ProcessResult Admin(const std::wstring& arguments) const;
    // The data directory with a mail folder, and its notes.ini.
    bool MakeDataDirectory() const;

    bool StartConnector();
    bool StartIndexer();
    // The crawl with a period in seconds; true once it is crawling.
    bool StartCrawl(DWORD periodSeconds);
    HANDLE IndexerProcess() const { return indexer_ ? indexer_->ProcessHandle() : nullptr; }
    // What the indexer host printed so far; empty before it started.
    std::string IndexerOutput() const { return indexer_ ? indexer_->OutputSoFar() : std::string(); }

    // Waits for the crawl host's report of a pass; false at the timeout or
    // when the crawl ended.
    bool WaitForPass(unsigned long pass, DWORD timeoutMs, PassReport* report = nullptr);

    // Ends the crawl, stops the indexer host and ends the connector; what
    // the indexer host printed and its exit code (STILL_ACTIVE when none ran
    // or it did not end).
    ProcessResult StopAll();

private:
    ScratchFolder root_;
    std::wstring state_;
    ScratchKey settings_;
    ServerRegistration standIn64_;
    ProgramRegistration standIn32_;
    ProgramRegistration monitor_;
    ServerRegistration handler_;
    std::unique_ptr<RunningProcess> connector_;
    std::unique_ptr<RunningProcess> indexer_;
    std::unique_ptr<RunningProcess> crawl_;
};

} // namespace brwtest
