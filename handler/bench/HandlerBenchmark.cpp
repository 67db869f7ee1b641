// Handler benchmark: the note filter against a plain echo of the same reply
// size over the connector's pipe, with a 32-bit server, and the database
// filter's walk over long document lists.
//   brw_handler_bench [exchanges]
#include "handler/pipe/PipeClient.h"
#include "handler/protocol/NSFProtocol.h"
#include "handler/tests/FilterTestSupport.h"
#include "handler/tests/TestFilters.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <windows.h>
#include <filterr.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsFor(int count, const std::function<bool()>& once)
{
    const auto start = Clock::now();
    for (int i = 0; i < count; ++i) {
        if (!once()) {
            return -1.0;
        }
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

size_t FilterAll(ISearchProtocol2* protocol, const wchar_t* url)
{
    brw::ComPtr<IUrlAccessor> accessor;
    brw::ComPtr<IFilter> filter;
    if (FAILED(protocol->CreateAccessor(url, nullptr, nullptr, nullptr, accessor.put())) ||
        FAILED(accessor->BindToFilter(filter.put())) || !filter) {
        return 0;
    }
    ULONG flags = 0;
    filter->Init(0, 0, nullptr, &flags);
    HRESULT end = S_OK;
    const size_t chunks = brwtest::Drain(filter.get(), &end).size();
    return end == FILTER_E_END_OF_CHUNKS ? chunks : 0;
}

int Run(int exchanges)
{
    brwtest::TemporaryFile body(std::wstring(2000, L'w'), brwtest::FileAccess::Writable);
    brwtest::RunningProcess server(
        {brwtest::Quoted(brwtest::BinaryIn32BitTree(L"handler\\brw_handler_bench_server.exe")) + L" " +
         brwtest::Quoted(body.Path())});
    if (!server.Started() || !server.WaitForOutput("ready", 30000)) {
        std::fprintf(stderr, "the 32-bit server did not start (build it in the 32-bit tree)\n");
        return 1;
    }
    auto site = brwtest::MakeSite();
    brw::ComPtr<ISearchProtocol2> protocol;
    brw::CreateAggregatableInstance<brw::CNSFProtocol>(nullptr, IID_ISearchProtocol2, protocol.put_void());
    protocol->Init(nullptr, site.get(), nullptr);

    // Alternating rounds, so a neighbour's load on the machine falls on both
    // measurements alike.
    brw::PipeReply reply;
    size_t chunks = 0;
    double echo = 0;
    double memo = 0;
    const int rounds = 10;
    for (int round = 0; round < rounds && echo >= 0 && memo >= 0; ++round) {
        const double e =
            SecondsFor(exchanges / rounds, [&] { return brw::SendPipeRequest(&reply, L"<echo/>") == S_OK; });
        const double m = SecondsFor(exchanges / rounds, [&] {
            chunks = FilterAll(protocol.get(), L"brw://{S-1-5-21-7}/mail/bench.nsf/00001A2B");
            return chunks == 27;
        });
        echo = e < 0 ? -1.0 : echo + e;
        memo = m < 0 ? -1.0 : memo + m;
    }
    const size_t replyUnits = reply.Length();
    exchanges = exchanges / rounds * rounds;
    if (echo <= 0 || memo <= 0) {
        std::fprintf(stderr, "an exchange failed\n");
        return 1;
    }
    const double echoRate = exchanges / echo;
    const double memoRate = exchanges / memo;
    std::printf("reply size: %zu bytes; note filter: %zu chunks per document\n", replyUnits * 2, chunks);
    std::printf("plain echo:  %8.0f exchanges/s\n", echoRate);
    std::printf("note filter: %8.0f documents/s (%.0f%% of echo; target at least 70%%)\n", memoRate,
                100.0 * memoRate / echoRate);

    for (unsigned ids : {1000u, 10000u, 100000u}) {
        const std::wstring url = L"brw://{S-1-5-21-7}/ids-" + std::to_wstring(ids) + L".nsf/";
        size_t announced = 0;
        const int rounds = ids >= 100000 ? 2 : (ids >= 10000 ? 5 : 20);
        const double seconds = SecondsFor(rounds, [&] {
            announced = FilterAll(protocol.get(), url.c_str());
            return announced == ids + 3;
        });
        if (seconds <= 0) {
            std::fprintf(stderr, "the walk over %u ids failed\n", ids);
            return 1;
        }
        std::printf("database walk, %6u ids: %10.0f ids/s\n", ids, rounds * static_cast<double>(ids) / seconds);
    }
    brw::SendPipeRequest(&reply, L"<quit/>");
    server.Wait(10000);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int exchanges = argc > 1 ? _wtoi(argv[1]) : 2000;
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    const int result = Run(exchanges > 0 ? exchanges : 2000);
    CoUninitialize();
    return result;
}
