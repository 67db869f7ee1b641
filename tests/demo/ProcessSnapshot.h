#pragma once
// The processes running at one moment, so that a step can tell which
// programs an action started: Explorer's view of "what opened".
#include "common/Handles.h"

#include <windows.h>

#include <set>
#include <string>
#include <vector>

namespace brwdemo {

struct ProcessEntry {
    DWORD id = 0;
    std::wstring image; // the program's file name, e.g. L"notes.exe"
};

// Every running process; empty when the system would not list them.
std::vector<ProcessEntry> RunningProcesses();

// The ids of a list, to compare a later one against.
std::set<DWORD> IdsOf(const std::vector<ProcessEntry>& processes);

// What runs now and did not before, without the images named in ignored
// (compared without regard to case).
std::vector<ProcessEntry> StartedSince(const std::set<DWORD>& before, const std::vector<std::wstring>& ignored);

// The first running process of that image (compared without regard to case),
// opened to wait for its end; nothing held when none runs. Its id goes to
// *id when one is found.
brw::KernelHandle OpenRunning(const wchar_t* image, DWORD* id);

} // namespace brwdemo
