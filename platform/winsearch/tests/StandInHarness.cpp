#include "platform/winsearch/tests/StandInHarness.h"

#include "common/WideString.h"
#include "platform/winsearch/core/StateFolder.h"
#include "platform/winsearch/tests/TestHandlerIds.h"
#include "tests/support/BuildTrees.h"

#include <shellapi.h>

#include <atomic>
#include <fstream>

namespace brwtest {

namespace {

void RemoveFolder(const std::wstring& folder)
{
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            if (name != L"." && name != L"..") {
                DeleteFileW((folder + L"\\" + name).c_str());
            }
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(folder.c_str());
}

std::vector<std::string> CallLines(const std::wstring& path)
{
    std::vector<std::string> lines;
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return lines;
    }
    std::string text;
    char buffer[65536];
    DWORD read = 0;
    while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
        text.append(buffer, read);
    }
    CloseHandle(file);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, (end == std::string::npos ? text.size() : end) - start));
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

HRESULT RegisterDll(const std::wstring& path)
{
    HMODULE module = LoadLibraryW(path.c_str());
    if (!module) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    using Register = HRESULT(STDAPICALLTYPE*)();
    auto registerServer =
        reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    const HRESULT hr = registerServer ? registerServer() : E_FAIL;
    // Kept loaded: the test program creates the stand-in's objects in-process.
    return hr;
}

} // namespace

StateSandbox::StateSandbox()
{
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = brw::FormatText(L"%sbrwws-%lu-%u", temp, GetCurrentProcessId(), ++counter);
    RemoveFolder(folder_);
    CreateDirectoryW(folder_.c_str(), nullptr);
    SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, folder_.c_str());
    SetEnvironmentVariableW(kCallLogVariable, CallLog().c_str());
    SetEnvironmentVariableW(kGenerationVariable, nullptr);
}

StateSandbox::~StateSandbox()
{
    SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr);
    SetEnvironmentVariableW(kCallLogVariable, nullptr);
    SetEnvironmentVariableW(kGenerationVariable, nullptr);
    RemoveFolder(folder_);
}

std::wstring StateSandbox::CallLog() const
{
    return folder_ + L"\\calls.txt";
}

int StateSandbox::CountCalls(const std::string& line) const
{
    int count = 0;
    for (const std::string& call : CallLines(CallLog())) {
        count += call == line ? 1 : 0;
    }
    return count;
}

int StateSandbox::CountCallsStartingWith(const std::string& prefix) const
{
    int count = 0;
    for (const std::string& call : CallLines(CallLog())) {
        count += call.rfind(prefix, 0) == 0 ? 1 : 0;
    }
    return count;
}

std::wstring StandInBinary64(const wchar_t* name)
{
    return BinaryIn64BitTree(std::wstring(L"platform\\winsearch\\") + name);
}

std::wstring StandInBinary32(const wchar_t* name)
{
    return BinaryIn32BitTree(std::wstring(L"platform\\winsearch\\") + name);
}

bool RegisterStandIn()
{
    static const bool registered = [] {
        if (FAILED(RegisterDll(StandInBinary64(L"BRWSearchStandIn.dll"))) ||
            FAILED(RegisterDll(StandInBinary64(L"winsearch_testhandler.dll")))) {
            return false;
        }
        wchar_t windows[MAX_PATH] = {};
        GetWindowsDirectoryW(windows, MAX_PATH);
        const ProcessResult result = RunProgram(std::wstring(windows) + L"\\syswow64\\regsvr32.exe",
                                                L"/s " + Quoted(StandInBinary32(L"BRWSearchStandIn.dll")));
        return result.exitCode == 0;
    }();
    return registered;
}

ProcessResult RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs)
{
    ProcessSpec launch;
    launch.commandLine = Quoted(program) + L" " + arguments;
    RunningProcess process(launch);
    return process.Wait(timeoutMs);
}

ProcessResult RunIndexer(const std::wstring& arguments)
{
    return RunProgram(StandInBinary64(L"BRWSearchIndexer.exe"), arguments, 120000);
}

ProcessResult RunQuery(const std::wstring& arguments)
{
    return RunProgram(StandInBinary64(L"BRWSearchQuery.exe"), arguments);
}

ProcessResult RunAdmin64(const std::wstring& arguments)
{
    return RunProgram(StandInBinary64(L"BRWSearchAdmin.exe"), arguments);
}

ProcessResult RunAdmin32(const std::wstring& arguments)
{
    return RunProgram(StandInBinary32(L"BRWSearchAdmin.exe"), arguments);
}

int CountOf(const std::string& output, const std::string& text)
{
    int count = 0;
    for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + text.size())) {
        ++count;
    }
    return count;
}

} // namespace brwtest
