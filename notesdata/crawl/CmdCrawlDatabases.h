#pragma once
// crawl_databases: the connector's long-running crawl. Every period it asks
// the index change monitor whether the catalogue was reset, runs a pass
// over the chosen databases and commits the catalogue identity; between
// passes it waits on the crawl control. It ends only when stopped, and
// answers 1 then, as a crawl that gave up.
#include "common/ComHolders.h"
#include "common/IndexChangeMonitorApi.h"
#include "notesdata/commands/CmdBase.h"
#include "notesdata/crawl/CrawlControl.h"
#include "notesdata/crawl/CrawlPass.h"

#include <string>

namespace brw {

inline constexpr DWORD kDefaultCrawlPeriodSeconds = 300;
// A day: a longer period is a mistake, taken as the default.
inline constexpr DWORD kLongestCrawlPeriodSeconds = 86400;

class CmdCrawlDatabases final : public CmdBase {
public:
    CmdCrawlDatabases(IXMLDOMElement* element, const CrawlControl& control) : CmdBase(element), control_(control) {}

    // sid (default "{}"), initthread (default true), period in seconds
    // (default 300; 0, text or more than a day give the default).
    bool ReadAttributes() override;
    int Execute(ReplyWriter* writer) override;

    DWORD PeriodSeconds() const { return periodSeconds_; }

    // One pass with the monitor's view of the catalogue: after a reset the
    // since-times are emptied before the pass, so a pass that fails half-way
    // still leaves every database to start from the beginning.
    void RunPass(IIndexChangeMonitor* monitor);

private:
    std::wstring identity_ = L"{}";
    bool initThread_ = true;
    DWORD periodSeconds_ = kDefaultCrawlPeriodSeconds;
    const CrawlControl& control_;
};

std::unique_ptr<CmdBase> MakeCrawlDatabases(IXMLDOMElement* element);

} // namespace brw
