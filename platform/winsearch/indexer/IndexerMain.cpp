// BRWSearchIndexer: the stand-in's indexer host.
//
//   BRWSearchIndexer [--once | --loop] [--item-timeout-ms N] [--workers N]
//   BRWSearchIndexer --stop         ends a looping host of the same state folder
//
// --once (the default) crawls the roots, processes what is queued and exits;
// --loop keeps waiting for notifications and scope changes, printing
// "indexing N" as pass N begins and "idle N" once it has stored its items.
// --workers is the number of items gathered at once (default 6).
#include "common/Handles.h"
#include "common/WideString.h"
#include "platform/winsearch/core/StateFolder.h"
#include "platform/winsearch/indexer/Indexer.h"
#include "platform/winsearch/indexer/WorkerMain.h"

#include <objbase.h>

#include <cwchar>
#include <string>

namespace {

using namespace brw::winsearch;

constexpr DWORD kMinItemTimeoutMs = 100;
constexpr DWORD kMaxItemTimeoutMs = 3600000;

struct Options {
    bool loop = false;
    bool stop = false;
    IndexerOptions indexer;
};

bool ParseNumber(const wchar_t* text, unsigned long low, unsigned long high, unsigned long* value)
{
    wchar_t* end = nullptr;
    *value = std::wcstoul(text, &end, 10);
    return end && !*end && end != text && *value >= low && *value <= high;
}

bool ParseOptions(int argc, wchar_t** argv, Options* options)
{
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--once") {
            options->loop = false;
        } else if (arg == L"--loop") {
            options->loop = true;
        } else if (arg == L"--stop") {
            options->stop = true;
        } else if (arg == L"--item-timeout-ms" && i + 1 < argc) {
            unsigned long value = 0;
            if (!ParseNumber(argv[++i], kMinItemTimeoutMs, kMaxItemTimeoutMs, &value)) {
                return false;
            }
            options->indexer.itemTimeoutMs = value;
        } else if (arg == L"--workers" && i + 1 < argc) {
            unsigned long value = 0;
            if (!ParseNumber(argv[++i], 1, Gatherer::kMaxWorkers, &value)) {
                return false;
            }
            options->indexer.workers = value;
        } else {
            return false;
        }
    }
    return true;
}

void Print(const std::wstring& text)
{
    const std::string bytes = brw::WideToUtf8(text);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

int Run(const Options& options)
{
    const std::wstring folder = StateFolder();
    if (folder.empty()) {
        Print(L"no state folder\n");
        return 2;
    }
    brw::KernelHandle stop(CreateEventW(nullptr, TRUE, FALSE, StateObjectName(folder, L"Stop").c_str()));
    if (!stop) {
        return 2;
    }
    if (options.stop) {
        SetEvent(stop.get());
        return 0;
    }
    ResetEvent(stop.get());
    Indexer indexer(folder, options.indexer);
    const HRESULT hr = options.loop ? indexer.RunLoop(stop.get()) : indexer.RunOnce();
    const IndexerCounts& counts = indexer.Counts();
    Print(brw::FormatText(L"indexed %lu unchanged %lu failed %lu removed %lu result 0x%08X\n", counts.indexed,
                          counts.unchanged, counts.failed, counts.removed, static_cast<unsigned>(hr)));
    return SUCCEEDED(hr) ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wcscmp(argv[1], kWorkerSwitch) == 0) {
        return RunWorker(argv[2]);
    }
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        Print(L"usage: BRWSearchIndexer [--once | --loop] [--item-timeout-ms N] [--workers N] | --stop\n");
        return 2;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
        return 2;
    }
    const int result = Run(options);
    CoUninitialize();
    return result;
}
