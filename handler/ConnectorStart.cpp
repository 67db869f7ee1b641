#include "handler/ConnectorStart.h"

#include "common/Handles.h"
#include "common/WideString.h"

#include <tlhelp32.h>

#include <string>

namespace brw {
namespace {

// A service or impersonating thread must not start a per-user tray program.
bool RunsWithPrimaryToken()
{
    KernelHandle token;
    TOKEN_TYPE type = TokenPrimary;
    DWORD size = 0;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
        !::GetTokenInformation(token.get(), TokenType, &type, sizeof(type), &size)) {
        return true; // unknown: go on, as when the type is primary
    }
    return type == TokenPrimary;
}

bool LaunchConnector(const wchar_t* directory, const wchar_t* program)
{
    std::wstring commandLine(program);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION created = {};
    if (!::CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, directory, &startup,
                          &created)) {
        return false;
    }
    KernelHandle process(created.hProcess);
    KernelHandle thread(created.hThread);
    DWORD exitCode = STILL_ACTIVE;
    if (::GetExitCodeProcess(process.get(), &exitCode) && exitCode != STILL_ACTIVE) {
        return false;
    }
    return true;
}

bool AttemptStart(DWORD pauseMs)
{
    wchar_t directory[kProgramDirectoryUnits] = {};
    if (!GetNotesProgramDirectory(directory)) {
        return false;
    }
    wchar_t program[kProgramDirectoryUnits] = {};
    CopyBounded(program, kProgramDirectoryUnits, (std::wstring(directory) + kConnectorFileName).c_str());
    ::Sleep(pauseMs);
    if (IsConnectorRunning(kConnectorFileName)) {
        return true;
    }
    return LaunchConnector(directory, program);
}

} // namespace

bool StartConnectorAfter(DWORD pauseMs)
{
    if (!RunsWithPrimaryToken()) {
        return false;
    }
    KernelHandle semaphore(::CreateSemaphoreW(nullptr, 0, 1, kConnectorStartSemaphore));
    if (!semaphore) {
        return false;
    }
    if (::WaitForSingleObject(semaphore.get(), 0) == WAIT_OBJECT_0) {
        return true; // another handler has just finished an attempt
    }
    const bool started = AttemptStart(pauseMs);
    ::ReleaseSemaphore(semaphore.get(), 1, nullptr);
    return started;
}

bool StartConnector()
{
    return StartConnectorAfter(kConnectorStartPauseMs);
}

bool IsConnectorRunning(const wchar_t* name)
{
    FileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot || !name) {
        return false;
    }
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (::CompareStringOrdinal(entry.szExeFile, -1, name, -1, TRUE) == CSTR_EQUAL) {
            return true;
        }
    }
    return false;
}

bool GetNotesProgramDirectory(wchar_t (&buffer)[kProgramDirectoryUnits])
{
    SYSTEM_INFO system = {};
    ::GetNativeSystemInfo(&system);
    const bool wide = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                      system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
    const wchar_t* path = wide ? L"SOFTWARE\\Wow6432Node\\Lotus\\Notes" : L"SOFTWARE\\Lotus\\Notes";
    RegKey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    // RegGetValueW NUL-terminates what it returns, which RegQueryValueExW
    // does not promise for a value stored without its terminator.
    DWORD bytes = sizeof(buffer);
    buffer[0] = L'\0';
    const LONG status = ::RegGetValueW(key.get(), nullptr, L"Path", RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                                       nullptr, buffer, &bytes);
    if (status != ERROR_SUCCESS) {
        buffer[0] = L'\0';
        return false;
    }
    return true;
}

} // namespace brw
