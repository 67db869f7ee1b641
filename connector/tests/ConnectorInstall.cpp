#include "connector/tests/ConnectorInstall.h"

#include "common/Handles.h"
#include "common/PipeProtocol.h"
#include "common/WideString.h"
#include "connector/SettingsStore.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/TestRegistry.h"

namespace brwtest {
namespace {

constexpr DWORD kToolWaitMs = 60000;
constexpr DWORD kRetryTurnMs = 20;

// The files a Notes program folder holds, from the 32-bit tree.
const wchar_t* const kInstalledFiles[] = {
    L"connector\\BRWConnector.exe", L"connector\\BRWClient.dll",   L"notesdata\\BRWData.dll",
    L"platform\\notes\\nnotes.dll", L"platform\\notes\\nxrtf.dll", L"consolehost\\BRWHC.exe",
};

std::wstring FileName(const std::wstring& path)
{
    return path.substr(path.find_last_of(L'\\') + 1);
}

std::string Notesdb(const std::wstring& arguments)
{
    ProcessSpec launch;
    launch.commandLine = Quoted(BinaryIn32BitTree(L"platform\\notes\\notesdb.exe")) + L" " + arguments;
    RunningProcess tool(launch);
    const ProcessResult result = tool.Wait(kToolWaitMs);
    return result.exitCode == 0 ? std::string() : "notesdb " + brw::WideToUtf8(arguments) + ": " + result.output;
}

brw::FileHandle OpenPipe()
{
    brw::FileHandle pipe(
        CreateFileW(brw::kConnectorPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!pipe && GetLastError() == ERROR_PIPE_BUSY && WaitNamedPipeW(brw::kConnectorPipeName, kToolWaitMs)) {
        pipe.reset(
            CreateFileW(brw::kConnectorPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    if (pipe && !SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) {
        pipe.reset();
    }
    return pipe;
}

} // namespace

std::string InstallConnector(const std::wstring& programFolder, const std::wstring& password)
{
    if (!CreateDirectoryW(programFolder.c_str(), nullptr)) {
        return "cannot make the program folder";
    }
    for (const wchar_t* file : kInstalledFiles) {
        const std::wstring source = BinaryIn32BitTree(file);
        if (!CopyFileW(source.c_str(), (programFolder + L"\\" + FileName(source)).c_str(), FALSE)) {
            return "cannot copy " + brw::WideToUtf8(file);
        }
    }
    const std::wstring data = programFolder + L"\\data";
    std::string failed =
        Notesdb(L"create " + Quoted(data) + L" --ini " + Quoted(programFolder + L"\\notes.ini") + L" --user " +
                Quoted(kConnectorTestUser) + (password.empty() ? L"" : L" --password " + password));
    if (failed.empty() && !CreateDirectoryW((data + L"\\mail").c_str(), nullptr)) {
        failed = "cannot make the mail folder";
    }
    if (failed.empty()) {
        failed = Notesdb(L"generate mail " + Quoted(data + L"\\mail\\jdoe.nsf") + L" --count 2");
    }
    return failed;
}

bool RegisterNotesFolder(const std::wstring& folder)
{
    return SetString(HKEY_LOCAL_MACHINE, kConnectorNotesKey, brw::settings::kNotesPath, folder, RegistryView::View32);
}

std::unique_ptr<RunningProcess> StartConnector(const std::wstring& programFolder)
{
    ProcessSpec launch;
    launch.commandLine = Quoted(programFolder + L"\\BRWConnector.exe");
    launch.captureOutput = false; // a GUI program: its lines go to its console
    // Started from Explorer or the indexer, the program has no console of
    // its own to leave before it borrows the console host's.
    launch.creationFlags = DETACHED_PROCESS;
    return std::make_unique<RunningProcess>(launch);
}

std::optional<std::vector<BYTE>> AskConnectorPipe(const std::wstring& request)
{
    const brw::FileHandle pipe = OpenPipe();
    DWORD written = 0;
    const DWORD bytes = static_cast<DWORD>((request.size() + 1) * sizeof(wchar_t));
    if (!pipe || !WriteFile(pipe.get(), request.c_str(), bytes, &written, nullptr)) {
        return std::nullopt;
    }
    std::vector<BYTE> reply;
    BYTE chunk[4096];
    for (;;) {
        DWORD read = 0;
        const BOOL whole = ReadFile(pipe.get(), chunk, sizeof(chunk), &read, nullptr);
        reply.insert(reply.end(), chunk, chunk + read);
        if (whole || GetLastError() != ERROR_MORE_DATA) {
            return reply;
        }
    }
}

std::optional<std::vector<BYTE>> AskOnceServing(RunningProcess& connector, const std::wstring& request, DWORD timeoutMs)
{
    // The pipe's creation gives no signal another process can wait for.
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (std::optional<std::vector<BYTE>> reply = AskConnectorPipe(request)) {
            return reply;
        }
        if (GetTickCount64() >= deadline ||
            WaitForSingleObject(connector.ProcessHandle(), kRetryTurnMs) == WAIT_OBJECT_0) {
            return std::nullopt;
        }
    }
}

std::wstring ReplyText(const std::vector<BYTE>& bytes)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

} // namespace brwtest
