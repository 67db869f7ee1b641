// winsearch_bench: how fast the stand-in indexes and answers queries.
//
//   winsearch_bench [--items N] [--query-items N]
//
// 1. Crawls N leaves (default 10,000) of the tests' handler through the real
//    indexer host and reports items per second (target: 500 or more).
// 2. Writes a catalogue of --query-items items (default 100,000), then times
//    queries on it, in-process and through the query command (target: a
//    query within 100 ms).
#include "common/WideString.h"
#include "platform/winsearch/core/Catalogue.h"
#include "platform/winsearch/core/CatalogueSnapshot.h"
#include "platform/winsearch/core/SharedState.h"
#include "platform/winsearch/core/StateLock.h"
#include "platform/winsearch/tests/StandInHarness.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

using namespace brw::winsearch;
using brwtest::ProcessResult;

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end)
{
    LARGE_INTEGER frequency{};
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    return now;
}

bool BenchIndexing(unsigned items)
{
    brwtest::StateSandbox sandbox;
    SetEnvironmentVariableW(L"BRW_TESTHANDLER_LOG", nullptr);
    const unsigned fanout = static_cast<unsigned>(std::ceil(std::sqrt(static_cast<double>(items))));
    const std::wstring root = brw::FormatText(L"brwtest://t%ux2/", fanout);
    if (brwtest::RunAdmin64(L"addroot " + root).exitCode != 0) {
        std::printf("could not add the root\n");
        return false;
    }
    const LARGE_INTEGER start = Now();
    const ProcessResult result = brwtest::RunIndexer(L"--once");
    const double seconds = Seconds(start, Now());
    const unsigned total = fanout * fanout + fanout + 1;
    std::printf("indexing: %u items (%u leaves) in %.2f s = %.0f items/s (target 500)\n%s", total, fanout * fanout,
                seconds, total / seconds, result.output.c_str());
    return result.exitCode == 0 && total / seconds >= 500;
}

const wchar_t* const kVocabulary[] = {L"budget",   L"review",  L"meeting", L"project", L"invoice",  L"travel",
                                      L"contract", L"report",  L"summary", L"holiday", L"schedule", L"customer",
                                      L"supplier", L"quarter", L"design",  L"release"};

ItemRecord BenchItem(unsigned i)
{
    ItemRecord item;
    item.url = brw::FormatText(L"brw://{S-1-5-21-1}/C:/Notes/Data/mail%u.nsf/%x", i % 50, i);
    const size_t words = sizeof(kVocabulary) / sizeof(kVocabulary[0]);
    item.text = brw::FormatText(L"%s %s %s note%u body text of a message", kVocabulary[i % words],
                                kVocabulary[(i / 3) % words], kVocabulary[(i / 7) % words], i);
    for (const auto& [key, text] : {std::pair{kKeyItemNameDisplay, brw::FormatText(L"Subject %u", i)},
                                    std::pair{kKeyAuthor, brw::FormatText(L"Sender %u", i % 200)},
                                    std::pair{kKeyKind, std::wstring(i % 2 ? L"email" : L"document")},
                                    std::pair{kKeyItemType, std::wstring(L"BRW/Message")}}) {
        PropertyValue value;
        value.key = key;
        value.text = text;
        item.properties.push_back(value);
    }
    PropertyValue date;
    date.key = kKeyDateModified;
    date.type = ValueType::FileTime;
    date.number = 132223104000000000LL + static_cast<long long>(i) * 6000000000LL;
    item.properties.push_back(date);
    return item;
}

bool BenchQuery(unsigned items)
{
    brwtest::StateSandbox sandbox;
    const std::wstring folder = sandbox.Folder();
    CatalogueIdentity identity;
    {
        StateLock lock(folder);
        if (FAILED(lock.Status()) || FAILED(LoadIdentity(folder, &identity))) {
            return false;
        }
    }
    const std::wstring path = CatalogueFilePath(folder, identity.resetSignature);
    {
        Catalogue writer;
        if (FAILED(writer.OpenForWriting(path))) {
            return false;
        }
        for (unsigned i = 0; i < items; ++i) {
            if (FAILED(writer.Put(BenchItem(i)))) {
                return false;
            }
        }
        if (FAILED(WriteSnapshot(writer, SnapshotFilePath(folder, identity.resetSignature)))) {
            return false;
        }
    }
    Catalogue catalogue;
    LARGE_INTEGER start = Now();
    catalogue.Load(path);
    std::printf("query: loaded %u items in %.0f ms\n", static_cast<unsigned>(catalogue.Count()),
                Seconds(start, Now()) * 1000);
    struct Case {
        const wchar_t* label;
        QueryRequest request;
    };
    std::vector<Case> cases(4);
    cases[0] = {L"one common word", {}};
    cases[0].request.words = {L"budget"};
    cases[1] = {L"two words", {}};
    cases[1].request.words = {L"budget", L"review"};
    cases[2] = {L"word, kind and author", {}};
    cases[2].request.words = {L"meeting"};
    cases[2].request.kind = L"email";
    cases[2].request.author = L"sender 1";
    cases[3] = {L"rare word", {}};
    cases[3].request.words = {L"note99999"};
    double worst = 0;
    for (const Case& c : cases) {
        std::vector<double> times;
        size_t found = 0;
        for (int run = 0; run < 9; ++run) {
            start = Now();
            found = catalogue.Query(c.request).size();
            times.push_back(Seconds(start, Now()) * 1000);
        }
        std::sort(times.begin(), times.end());
        worst = std::max(worst, times[4]);
        std::printf("query: %-22ls %4u results, median %.2f ms\n", c.label, static_cast<unsigned>(found), times[4]);
    }
    CatalogueSnapshot snapshot;
    if (snapshot.Open(SnapshotFilePath(folder, identity.resetSignature), catalogue.ValidBytes()) != S_OK) {
        std::printf("query: the snapshot does not open\n");
        return false;
    }
    for (const Case& c : cases) {
        std::vector<double> times;
        size_t found = 0;
        for (int run = 0; run < 9; ++run) {
            start = Now();
            found = snapshot.Query(c.request).size();
            times.push_back(Seconds(start, Now()) * 1000);
        }
        std::sort(times.begin(), times.end());
        worst = std::max(worst, times[4]);
        std::printf("query: snapshot %-13ls %4u results, median %.2f ms\n", c.label, static_cast<unsigned>(found),
                    times[4]);
    }
    start = Now();
    const ProcessResult command = brwtest::RunQuery(L"--json --max 20 budget review");
    const double commandMs = Seconds(start, Now()) * 1000;
    // The same program refusing its command line: the cost of starting a
    // process, which the query itself does not control.
    start = Now();
    brwtest::RunQuery(L"--max 0 x");
    const double startMs = Seconds(start, Now()) * 1000;
    std::printf("query: the query command %.0f ms, of which starting a process %.0f ms (exit %lu)\n", commandMs,
                startMs, command.exitCode);
    return worst <= 100.0 && command.exitCode == 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    unsigned items = 10000;
    unsigned queryItems = 100000;
    for (int i = 1; i + 1 < argc; i += 2) {
        const unsigned long value = std::wcstoul(argv[i + 1], nullptr, 10);
        if (std::wcscmp(argv[i], L"--items") == 0 && value > 0 && value <= 1000000) {
            items = value;
        } else if (std::wcscmp(argv[i], L"--query-items") == 0 && value > 0 && value <= 1000000) {
            queryItems = value;
        } else {
            std::printf("usage: winsearch_bench [--items N] [--query-items N]\n");
            return 2;
        }
    }
    if (!brwtest::RegisterStandIn()) {
        std::printf("could not register the stand-in\n");
        return 2;
    }
    const bool indexing = BenchIndexing(items);
    const bool query = BenchQuery(queryItems);
    std::printf("%s\n", indexing && query ? "all targets met" : "a target was missed");
    return indexing && query ? 0 : 1;
}
