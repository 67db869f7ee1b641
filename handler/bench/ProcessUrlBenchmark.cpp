// ProcessURL benchmark: opening a document (parse, hand the notes: URL to the
// shell) and a 1 MB attachment (pipe exchange, extraction by the data
// service, hand the file to the shell), with the real data service serving
// the connector's pipe from a generated database. The programs the shell
// starts (a recorder standing in for Notes and for the attachment's program)
// are not waited for: their start is not ProcessURL's time.
//   brw_processurl_bench [opens]
// Registers notes: and a test file type in the prefix while it runs.
#include "common/PipeProtocol.h"
#include "handler/pipe/PipeClient.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using ProcessUrlFunction = int(WINAPI*)(const wchar_t*, const wchar_t*);

constexpr wchar_t kBenchType[] = L".brwbench";
constexpr wchar_t kBenchProgId[] = L"BrwBench.File";
constexpr std::size_t kAttachmentBytes = 1024 * 1024;

std::string Run(const std::wstring& commandLine)
{
    brwtest::RunningProcess process({commandLine});
    const brwtest::ProcessResult result = process.Wait(120000);
    return result.exitCode == 0 ? result.output : std::string();
}

// The launch targets, registered to a program that starts and ends at once.
class BenchRegistration {
public:
    explicit BenchRegistration(const std::wstring& program)
    {
        const std::wstring open = brwtest::Quoted(program) + L" \"%1\"";
        brwtest::SetString(HKEY_CLASSES_ROOT, L"notes", L"URL Protocol", L"");
        brwtest::SetString(HKEY_CLASSES_ROOT, L"notes\\shell\\open\\command", L"", open);
        brwtest::SetString(HKEY_CLASSES_ROOT, kBenchType, L"", kBenchProgId);
        brwtest::SetString(HKEY_CLASSES_ROOT, std::wstring(kBenchProgId) + L"\\shell\\open\\command", L"", open);
    }
    ~BenchRegistration()
    {
        brwtest::DeleteTree(HKEY_CLASSES_ROOT, L"notes");
        brwtest::DeleteTree(HKEY_CLASSES_ROOT, kBenchType);
        brwtest::DeleteTree(HKEY_CLASSES_ROOT, kBenchProgId);
    }
};

// Milliseconds of each call, sorted.
std::vector<double> Time(int count, ProcessUrlFunction processUrl, const wchar_t* verb, const std::wstring& url,
                         int* failures)
{
    std::vector<double> times;
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        if (processUrl(verb, url.c_str()) != 0) {
            ++*failures;
        }
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times;
}

// The shell's own launch of the same notes: URL, for comparison: what of a
// document's time is the shell starting the program.
int WINAPI ShellLaunchOnly(const wchar_t* verb, const wchar_t* url)
{
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = verb;
    info.lpFile = url;
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) ? 0 : 1;
}

void Report(const char* what, const std::vector<double>& times, int failures, double limit)
{
    const double median = times[times.size() / 2];
    std::printf("%-36s median %7.1f ms, slowest %7.1f ms, %d failed (limit %.0f ms: %s)\n", what, median, times.back(),
                failures, limit, median <= limit ? "met" : "missed");
}

bool MakeDatabase(const brwtest::ScratchFolder& scratch, std::wstring* noteId)
{
    const std::wstring notesdb = brwtest::Quoted(brwtest::BinaryIn32BitTree(L"platform\\notes\\notesdb.exe"));
    const std::wstring attachment = scratch.Sub(std::wstring(L"report") + kBenchType);
    std::ofstream(attachment.c_str(), std::ios::binary) << std::string(kAttachmentBytes, 'x');
    if (Run(notesdb + L" create \"" + scratch.Sub(L"data") + L"\" --ini \"" + scratch.Sub(L"notes.ini") + L"\"")
            .empty() &&
        GetFileAttributesW(scratch.Sub(L"notes.ini").c_str()) == INVALID_FILE_ATTRIBUTES) {
        return false;
    }
    Run(notesdb + L" newdb \"" + scratch.Sub(L"data\\bench.nsf") + L"\" --title Bench");
    const std::string added =
        Run(notesdb + L" add \"" + scratch.Sub(L"data\\bench.nsf") +
            L"\" --form Memo --text Subject=Benchmark --richtext \"Body=Figures\" --attach \"" + attachment + L"\"");
    std::string id;
    for (char c : added) {
        if (isxdigit(static_cast<unsigned char>(c))) {
            id += c;
        } else if (!id.empty()) {
            break;
        }
    }
    *noteId = std::wstring(id.begin(), id.end());
    return !id.empty();
}

int Bench(int opens)
{
    const brwtest::ScratchFolder scratch(L"brwbench");
    std::wstring noteId;
    if (!MakeDatabase(scratch, &noteId)) {
        std::fprintf(stderr, "the database could not be made (build the 32-bit tree)\n");
        return 1;
    }
    brwtest::RunningProcess server({brwtest::Quoted(brwtest::BinaryIn32BitTree(L"tests\\brw_pipe_server_host.exe")) +
                                    L" \"" + scratch.Sub(L"notes.ini") + L"\" " + brw::kConnectorPipeName});
    if (!server.Started() || !server.WaitForOutput("ready", 60000)) {
        std::fprintf(stderr, "the data service did not start\n");
        return 1;
    }
    const BenchRegistration registration(brwtest::BinaryIn64BitTree(L"tests\\brw_open_recorder.exe"));
    const brw::ModuleHandle handler(LoadLibraryW(brwtest::BinaryIn64BitTree(L"handler\\BRWHandler.dll").c_str()));
    const auto processUrl =
        reinterpret_cast<ProcessUrlFunction>(reinterpret_cast<void*>(GetProcAddress(handler.get(), "ProcessURL")));
    if (!processUrl) {
        std::fprintf(stderr, "BRWHandler.dll has no ProcessURL\n");
        return 1;
    }
    const std::wstring document = L"brw://{S-1-5-21-1-2-3-1001}/bench.nsf/" + noteId;
    const std::wstring attachment = document + L"#1#report" + kBenchType;
    int documentFailures = 0;
    int attachmentFailures = 0;
    processUrl(L"Open", document.c_str()); // the first call loads the shell's pieces
    const std::vector<double> documents = Time(opens, processUrl, L"Open", document, &documentFailures);
    const std::vector<double> attachments = Time(opens, processUrl, L"Openattachment", attachment, &attachmentFailures);
    int shellFailures = 0;
    const std::vector<double> launches =
        Time(opens, &ShellLaunchOnly, L"open", L"notes:///bench.nsf/0/" + noteId, &shellFailures);
    std::printf("ProcessURL, %d opens each, note %ls\n", opens, noteId.c_str());
    std::printf("%-36s median %7.1f ms, slowest %7.1f ms, %d failed\n", "the shell's launch of notes: alone",
                launches[launches.size() / 2], launches.back(), shellFailures);
    Report("document (parse, launch)", documents, documentFailures, 50);
    Report("1 MB attachment (pipe, extract, launch)", attachments, attachmentFailures, 200);
    return documentFailures + attachmentFailures == 0 ? 0 : 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const int opens = argc > 1 ? std::max(1, _wtoi(argv[1])) : 20;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int result = Bench(opens);
    CoUninitialize();
    return result;
}
