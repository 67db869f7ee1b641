#include "tests/demo/ProcessSnapshot.h"

#include <tlhelp32.h>

#include <algorithm>

namespace brwdemo {

std::vector<ProcessEntry> RunningProcesses()
{
    std::vector<ProcessEntry> processes;
    const brw::FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) {
        return processes;
    }
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry)) {
        processes.push_back({entry.th32ProcessID, entry.szExeFile});
    }
    return processes;
}

std::set<DWORD> IdsOf(const std::vector<ProcessEntry>& processes)
{
    std::set<DWORD> ids;
    for (const ProcessEntry& process : processes) {
        ids.insert(process.id);
    }
    return ids;
}

std::vector<ProcessEntry> StartedSince(const std::set<DWORD>& before, const std::vector<std::wstring>& ignored)
{
    std::vector<ProcessEntry> started;
    for (const ProcessEntry& process : RunningProcesses()) {
        const bool isIgnored = std::any_of(ignored.begin(), ignored.end(), [&](const std::wstring& image) {
            return lstrcmpiW(image.c_str(), process.image.c_str()) == 0;
        });
        if (before.count(process.id) == 0 && !isIgnored) {
            started.push_back(process);
        }
    }
    return started;
}

brw::KernelHandle OpenRunning(const wchar_t* image, DWORD* id)
{
    for (const ProcessEntry& process : RunningProcesses()) {
        if (lstrcmpiW(process.image.c_str(), image) == 0) {
            *id = process.id;
            return brw::KernelHandle(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.id));
        }
    }
    return brw::KernelHandle();
}

} // namespace brwdemo
