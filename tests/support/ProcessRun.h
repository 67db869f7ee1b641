#pragma once
// Starts Windows programs from a test, captures what they print and waits for
// them, so a test can run a 32-bit and a 64-bit program side by side.
#include "common/Handles.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

namespace brwtest {

struct ProcessSpec {
    std::wstring commandLine;  // program path first, quoted as needed
    DWORD creationFlags = 0;   // e.g. CREATE_NEW_CONSOLE
    bool captureOutput = true; // standard output and error into `output`
};

struct ProcessResult {
    bool started = false;
    DWORD startError = 0;
    bool timedOut = false;
    DWORD exitCode = STILL_ACTIVE;
    std::string output; // standard output and error, interleaved
};

// A started program. Destroying it kills the program if it still runs.
class RunningProcess {
public:
    explicit RunningProcess(const ProcessSpec& launch);
    ~RunningProcess();
    RunningProcess(const RunningProcess&) = delete;
    RunningProcess& operator=(const RunningProcess&) = delete;

    bool Started() const { return static_cast<bool>(process_); }
    DWORD StartError() const { return startError_; }
    DWORD ProcessId() const { return processId_; }
    HANDLE ProcessHandle() const { return process_.get(); }

    // Waits until the output so far contains `text`; false after timeoutMs
    // or when the output ended without it.
    bool WaitForOutput(const std::string& text, DWORD timeoutMs);
    // What the program printed so far.
    std::string OutputSoFar();

    // Waits for the exit (at most timeoutMs) and for its output to end.
    ProcessResult Wait(DWORD timeoutMs);

private:
    static DWORD WINAPI ReadOutput(void* self);
    void StopReader();

    brw::KernelHandle process_;
    brw::FileHandle outputRead_;
    brw::KernelHandle outputArrived_; // auto-reset, set after each read
    brw::KernelHandle reader_;
    DWORD processId_ = 0;
    DWORD startError_ = 0;
    bool outputEnded_ = false;
    std::mutex outputLock_;
    std::string output_;
};

// Runs every program at once and waits for all of them.
std::vector<ProcessResult> RunTogether(const std::vector<ProcessSpec>& launches, DWORD timeoutMs);

} // namespace brwtest
