#include "notesdata/crawl/CmdCrawlDatabases.h"

#include "common/DebugConsole.h"
#include "connector/SettingsStore.h"
#include "notesdata/commands/RequestXml.h"
#include "notesdata/files/TemporaryFiles.h"

#include <notesapi.h>

#include <cwchar>

namespace brw {
namespace {

// The identity text is at most 255 characters wherever it is made.
constexpr size_t kMaxIdentityChars = 255;
constexpr DWORD kMillisecondsPerSecond = 1000;

DWORD ParsePeriod(const std::wstring& text)
{
    if (text.empty() || text.size() > 10) {
        return kDefaultCrawlPeriodSeconds;
    }
    wchar_t* end = nullptr;
    const unsigned long seconds = std::wcstoul(text.c_str(), &end, 10);
    if (end == nullptr || *end != L'\0' || text[0] == L'-' || seconds == 0 || seconds > kLongestCrawlPeriodSeconds) {
        return kDefaultCrawlPeriodSeconds;
    }
    return static_cast<DWORD>(seconds);
}

IndexState AskMonitor(IIndexChangeMonitor* monitor)
{
    return monitor && monitor->HasIndexBeenReset() == S_OK ? IndexState::Reset : IndexState::Unchanged;
}

// Notes for this thread for the length of the crawl, when the request asks.
class NotesThread {
public:
    explicit NotesThread(bool wanted)
        : active_(wanted && NotesInitThread() == NOERROR_STATUS), failed_(wanted && !active_)
    {
    }
    ~NotesThread()
    {
        if (active_) {
            NotesTermThread();
        }
    }
    NotesThread(const NotesThread&) = delete;
    NotesThread& operator=(const NotesThread&) = delete;

    bool Failed() const { return failed_; }

private:
    bool active_;
    bool failed_;
};

} // namespace

bool CmdCrawlDatabases::ReadAttributes()
{
    identity_ = ReadTextAttribute(Element(), L"sid", L"{}").substr(0, kMaxIdentityChars);
    initThread_ = ReadBoolAttribute(Element(), L"initthread", true);
    periodSeconds_ = ParsePeriod(ReadTextAttribute(Element(), L"period", L""));
    return true;
}

void CmdCrawlDatabases::RunPass(IIndexChangeMonitor* monitor)
{
    const IndexState state = AskMonitor(monitor);
    if (state == IndexState::Reset) {
        LogString(L"Index reset: every database starts from the beginning\n");
        settings::ResetDatabaseList();
    }
    BRWTemporaryFileMgr::Instance().DeleteFiles();
    CrawlPass pass(identity_, state, control_);
    if (pass.CollectTargets()) {
        pass.ProcessTargets();
    }
    if (monitor) {
        monitor->Commit();
    }
}

int CmdCrawlDatabases::Execute(ReplyWriter*)
{
    NotesThread notes(initThread_);
    if (notes.Failed()) {
        return 1;
    }
    ComPtr<IIndexChangeMonitor> monitor;
    const HRESULT hr =
        CoCreateInstance(kIndexChangeMonitorClsid, nullptr, CLSCTX_ALL, IID_IIndexChangeMonitor, monitor.put_void());
    if (FAILED(hr)) {
        LogHex0x(L"No index change monitor:", static_cast<unsigned>(hr));
    }
    while (!control_.StopRequested()) {
        RunPass(monitor.get());
        control_.Progress().PassFinished();
        control_.ReportPassFinished();
        if (control_.WaitForNextPass(periodSeconds_ * kMillisecondsPerSecond) == WaitOutcome::Stopped) {
            break;
        }
    }
    return 1;
}

std::unique_ptr<CmdBase> MakeCrawlDatabases(IXMLDOMElement* element)
{
    return std::make_unique<CmdCrawlDatabases>(element, CrawlControl::Process());
}

} // namespace brw
