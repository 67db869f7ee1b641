#include "handler/pipe/ConnectorStart.h"

#include "common/Handles.h"
#include "common/TokenUser.h"

#include <tlhelp32.h>

#include <new>
#include <string>

namespace brw {
namespace {

// The connector must be up, not merely created: one that ended at once
// (Notes missing, a second instance) is no start.
bool LaunchKeepsRunning(const wchar_t* directory)
{
    const KernelHandle process = LaunchConnectorProcess(directory);
    if (!process) {
        return false;
    }
    DWORD exitCode = STILL_ACTIVE;
    if (GetExitCodeProcess(process.get(), &exitCode) && exitCode != STILL_ACTIVE) {
        SetLastError(ERROR_PROCESS_ABORTED);
        return false;
    }
    return true;
}

bool AttemptStart(DWORD pauseMs)
{
    wchar_t directory[kProgramDirectoryUnits] = {};
    std::wstring program;
    // Both are checked before the pause, so that a start that cannot work
    // costs no waiting.
    if (!GetNotesProgramDirectory(directory) || !ConnectorProgramPath(directory, &program)) {
        return false;
    }
    Sleep(pauseMs);
    if (IsConnectorRunning(kConnectorFileName)) {
        return true;
    }
    return LaunchKeepsRunning(directory);
}

bool StartUnderSemaphore(DWORD pauseMs)
{
    KernelHandle semaphore(CreateSemaphoreW(nullptr, 0, 1, kConnectorStartSemaphore));
    if (!semaphore) {
        return false;
    }
    if (WaitForSingleObject(semaphore.get(), 0) == WAIT_OBJECT_0) {
        return true; // another handler has just finished an attempt
    }
    const bool started = AttemptStart(pauseMs);
    const DWORD error = GetLastError();
    ReleaseSemaphore(semaphore.get(), 1, nullptr);
    SetLastError(error);
    return started;
}

} // namespace

bool ActsAsProcessUser() noexcept
{
    KernelHandle token;
    if (OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, kCheckAccessAsProcess, token.put())) {
        SetLastError(ERROR_BAD_TOKEN_TYPE);
        return false;
    }
    // Anything but "no thread token" leaves it unknown whom we act for.
    return GetLastError() == ERROR_NO_TOKEN;
}

bool StartConnectorAfter(DWORD pauseMs) noexcept
{
    if (!ActsAsProcessUser()) {
        return false;
    }
    try {
        return StartUnderSemaphore(pauseMs);
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
}

bool StartConnector() noexcept
{
    return StartConnectorAfter(kConnectorStartPauseMs);
}

bool ConnectorProgramPath(const wchar_t* directory, std::wstring* path)
{
    std::wstring candidate = directory;
    // The Notes installer writes the directory with its closing backslash,
    // but a hand-edited value may lack it; the program is inside it all the same.
    if (!candidate.empty() && candidate.back() != L'\\' && candidate.back() != L'/') {
        candidate += L'\\';
    }
    candidate += kConnectorFileName;
    if (candidate.find(L'"') != std::wstring::npos) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    // A cut path would name another program; refuse it instead.
    if (candidate.size() + 1 > static_cast<size_t>(kProgramDirectoryUnits)) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    *path = candidate;
    return true;
}

KernelHandle LaunchConnectorProcess(const wchar_t* directory)
{
    std::wstring program;
    if (!ConnectorProgramPath(directory, &program)) {
        return {};
    }
    // The program is named as the application, so no part of a directory
    // with blanks is ever taken for a program of its own ("C:\Program.exe"),
    // and the command line quotes it for the connector's own parsing.
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, kNotInherited, 0, nullptr, directory,
                        &startup, &created)) {
        return {};
    }
    const KernelHandle thread(created.hThread);
    return KernelHandle(created.hProcess);
}

bool IsInSession(DWORD processId, DWORD sessionId) noexcept
{
    DWORD session = 0;
    return ProcessIdToSessionId(processId, &session) && session == sessionId;
}

bool IsConnectorRunning(const wchar_t* name) noexcept
{
    DWORD ownSession = 0;
    if (name == nullptr || !ProcessIdToSessionId(GetCurrentProcessId(), &ownSession)) {
        return false;
    }
    FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return false;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        if (CompareStringOrdinal(entry.szExeFile, -1, name, -1, TRUE) == CSTR_EQUAL &&
            IsInSession(entry.th32ProcessID, ownSession)) {
            return true;
        }
    }
    return false;
}

bool GetNotesProgramDirectory(wchar_t (&buffer)[kProgramDirectoryUnits]) noexcept
{
    SYSTEM_INFO system = {};
    GetNativeSystemInfo(&system);
    const bool wide = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                      system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
    const wchar_t* path = wide ? L"SOFTWARE\\Wow6432Node\\Lotus\\Notes" : L"SOFTWARE\\Lotus\\Notes";
    RegKey key;
    const LONG opened = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put());
    if (opened != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(opened));
        return false;
    }
    // RegGetValueW NUL-terminates what it returns, which RegQueryValueExW
    // does not promise for a value stored without its terminator.
    DWORD bytes = sizeof(buffer);
    buffer[0] = L'\0';
    const LONG status = RegGetValueW(key.get(), nullptr, L"Path", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                                     nullptr, buffer, &bytes);
    if (status != ERROR_SUCCESS) {
        buffer[0] = L'\0';
        SetLastError(static_cast<DWORD>(status));
        return false;
    }
    return true;
}

} // namespace brw
