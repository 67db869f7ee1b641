#include "tests/endtoend/CrawlStage.h"

#include "common/PipeProtocol.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"

#include <cstdio>

namespace brwtest {
namespace {

constexpr DWORD kToolWaitMs = 60000;
constexpr wchar_t kSettingsKey[] = L"Software\\FenwoldInc\\BRW";

std::wstring StandIn64(const wchar_t* name)
{
    return BinaryIn64BitTree(std::wstring(L"platform\\winsearch\\") + name);
}

ProcessResult RunToEnd(const std::wstring& commandLine)
{
    RunningProcess process(ProcessSpec{commandLine});
    return process.Wait(kToolWaitMs);
}

std::wstring MakeStateFolder(const ScratchFolder& root)
{
    const std::wstring folder = root.Sub(L"state");
    CreateDirectoryW(folder.c_str(), nullptr);
    SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, folder.c_str());
    return folder;
}

std::unique_ptr<RunningProcess> Start(const std::wstring& commandLine)
{
    return std::make_unique<RunningProcess>(ProcessSpec{commandLine});
}

} // namespace

CrawlStage::CrawlStage(const wchar_t* scratchPrefix)
    : root_(scratchPrefix), state_(MakeStateFolder(root_)), settings_(HKEY_CURRENT_USER, kSettingsKey),
      standIn64_(StandIn64(L"BRWSearchStandIn.dll")),
      standIn32_(ServerArchitecture::Bits32, BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll")),
      monitor_(ServerArchitecture::Bits32, BinaryIn32BitTree(L"monitor32\\BRWMon32.dll")),
      handler_(BinaryIn64BitTree(L"handler\\BRWHandler.dll"))
{
}

CrawlStage::~CrawlStage()
{
    StopAll();
    SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr);
}

bool CrawlStage::Registered() const
{
    return SUCCEEDED(standIn64_.Result()) && standIn32_.Registered() && monitor_.Registered() &&
           SUCCEEDED(handler_.Result());
}

std::wstring CrawlStage::Database(const std::wstring& relative) const
{
    return Quoted(root_.Sub(L"data\\" + relative));
}

ProcessResult CrawlStage::Notesdb(const std::wstring& arguments) const
{
    return RunToEnd(Quoted(BinaryIn32BitTree(L"platform\\notes\\notesdb.exe")) + L" " + arguments);
}

ProcessResult CrawlStage::Query(const std::wstring& arguments) const
{
    return RunToEnd(Quoted(StandIn64(L"BRWSearchQuery.exe")) + L" " + arguments);
}

ProcessResult CrawlStage::Admin(const std::wstring& arguments) const
{
    return RunToEnd(Quoted(StandIn64(L"BRWSearchAdmin.exe")) + L" " + arguments);
}

bool CrawlStage::MakeDataDirectory() const
{
    return Notesdb(L"create " + Quoted(root_.Sub(L"data")) + L" --ini " + Quoted(Ini())).exitCode == 0 &&
           CreateDirectoryW(root_.Sub(L"data\\mail").c_str(), nullptr);
}

bool CrawlStage::StartConnector()
{
    connector_ = Start(Quoted(BinaryIn32BitTree(L"tests\\brw_pipe_server_host.exe")) + L" " + Quoted(Ini()) + L" " +
                       Quoted(brw::kConnectorPipeName));
    return connector_->WaitForOutput("ready", kToolWaitMs);
}

bool CrawlStage::StartIndexer()
{
    indexer_ = Start(Quoted(StandIn64(L"BRWSearchIndexer.exe")) + L" --loop");
    return indexer_->Started();
}

bool CrawlStage::StartCrawl(DWORD periodSeconds)
{
    crawl_ = Start(Quoted(BinaryIn32BitTree(L"tests\\brw_crawl_host.exe")) + L" " + Quoted(Ini()) + L" " +
                   std::to_wstring(periodSeconds));
    return crawl_->WaitForOutput("crawling", kToolWaitMs);
}

bool CrawlStage::WaitForPass(unsigned long pass, DWORD timeoutMs, PassReport* report)
{
    const std::string heading = "pass " + std::to_string(pass) + " ended";
    if (!crawl_ || !crawl_->WaitForOutput(heading, timeoutMs)) {
        return false;
    }
    if (report) {
        const std::string output = crawl_->OutputSoFar();
        const size_t at = output.find(heading);
        PassReport read;
        if (std::sscanf(output.c_str() + at, "pass %lu ended at %llu ms, private %lu KB, handles %lu", &read.pass,
                        &read.atMs, &read.privateKb, &read.handles) != 4) {
            return false;
        }
        *report = read;
    }
    return true;
}

ProcessResult CrawlStage::StopAll()
{
    crawl_.reset();
    ProcessResult indexer;
    if (indexer_) {
        RunToEnd(Quoted(StandIn64(L"BRWSearchIndexer.exe")) + L" --stop");
        indexer = indexer_->Wait(kToolWaitMs);
        indexer_.reset();
    }
    connector_.reset();
    return indexer;
}

} // namespace brwtest
