#include "tests/demo/ConnectorServing.h"

#include "common/Handles.h"
#include "common/PipeProtocol.h"
#include "tests/demo/IndexChanges.h"
#include "tests/demo/ProcessSnapshot.h"
#include "tests/support/WindowWatch.h"

#include <vector>

namespace brwdemo {
namespace {

constexpr wchar_t kConnectorImage[] = L"BRWConnector.exe";
constexpr wchar_t kConnectorClass[] = L"BRWCONNECTOR";
constexpr wchar_t kConnectorTitle[] = L"Brimlow Search: Mail, Archives, and Applications";
constexpr wchar_t kListRequest[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_database_list sid=\"x\" tempdir=\"C:\\\\\" />";
// A database list of a test's data directory fits many times over.
constexpr DWORD kReplyLimitBytes = 1u << 20;
constexpr DWORD kPipeBusyWaitMs = 20000;

brw::FileHandle OpenPipe()
{
    const auto open = [] {
        return CreateFileW(brw::kConnectorPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    };
    brw::FileHandle pipe(open());
    // The one instance serves another client: wait for its turn.
    if (!pipe && GetLastError() == ERROR_PIPE_BUSY && WaitNamedPipeW(brw::kConnectorPipeName, kPipeBusyWaitMs)) {
        pipe.reset(open());
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (pipe && !SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) {
        pipe.reset();
    }
    return pipe;
}

// The reply's size; 0 when the pipe is not there or nothing came back.
DWORD AskForDatabaseList()
{
    const brw::FileHandle pipe = OpenPipe();
    DWORD written = 0;
    if (!pipe || !WriteFile(pipe.get(), kListRequest, sizeof(kListRequest), &written, nullptr)) {
        return 0;
    }
    std::vector<BYTE> chunk(brw::kPipeBufferBytes);
    DWORD total = 0;
    for (;;) {
        DWORD read = 0;
        const BOOL whole = ReadFile(pipe.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &read, nullptr);
        total += read;
        if (whole || GetLastError() != ERROR_MORE_DATA || total > kReplyLimitBytes) {
            return whole ? total : 0;
        }
    }
}

DWORD Remaining(ULONGLONG deadline)
{
    const ULONGLONG now = GetTickCount64();
    return now < deadline ? static_cast<DWORD>(deadline - now) : 0;
}

// The pipe's creation gives no signal another process can wait for; the
// crawl's items reaching the index (through the handler, which asks the
// pipe) do.
DWORD WaitForAnswer(HANDLE connector, ULONGLONG deadline)
{
    const ChangeNotification changes = WatchIndexChanges();
    for (;;) {
        if (const DWORD bytes = AskForDatabaseList()) {
            return bytes;
        }
        if (!changes) {
            return 0;
        }
        HANDLE wakes[] = {changes.get(), connector};
        if (WaitForMultipleObjects(ARRAYSIZE(wakes), wakes, FALSE, Remaining(deadline)) != WAIT_OBJECT_0 ||
            !FindNextChangeNotification(changes.get())) {
            return AskForDatabaseList();
        }
    }
}

} // namespace

StepResult WaitForConnectorServing(DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    DWORD id = 0;
    const brw::KernelHandle connector = OpenRunning(kConnectorImage, &id);
    if (!connector) {
        return {false, L"the connector is not running"};
    }
    if (brwtest::WaitForProcessWindow(connector.get(), id, {kConnectorClass, kConnectorTitle, brwtest::Shown::Any},
                                      timeoutMs) == nullptr) {
        return {false, L"the connector runs but shows no window"};
    }
    const DWORD bytes = WaitForAnswer(connector.get(), deadline);
    if (bytes == 0) {
        return {false, L"the connector's window is there, but its pipe did not answer"};
    }
    return {true,
            L"the connector runs: its window is there and its pipe answered (" + std::to_wstring(bytes) + L" bytes)"};
}

} // namespace brwdemo
