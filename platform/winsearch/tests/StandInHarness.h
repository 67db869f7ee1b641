// What the stand-in's tests share: a state folder of their own per test,
// the registration of the stand-in and the test handler in the run's
// prefix, and the stand-in's programs run as child processes.
#pragma once

#include "tests/support/ProcessRun.h"

#include <string>
#include <vector>

namespace brwtest {

// A fresh state folder named in the environment (inherited by every program
// the test starts), with the test handler's call log inside it. Removed,
// and the environment restored, at the end.
class StateSandbox {
public:
    StateSandbox();
    ~StateSandbox();
    StateSandbox(const StateSandbox&) = delete;
    StateSandbox& operator=(const StateSandbox&) = delete;

    const std::wstring& Folder() const { return folder_; }
    std::wstring CallLog() const;
    // Lines of the call log equal to line.
    int CountCalls(const std::string& line) const;
    // Lines of the call log beginning with prefix.
    int CountCallsStartingWith(const std::string& prefix) const;

private:
    std::wstring folder_;
};

// Registers the 64-bit and 32-bit stand-in and the test handler, once per
// test program. The prefix belongs to the ctest run and goes with it, so
// the registration is left in place for the other tests of the run.
bool RegisterStandIn();

std::wstring StandInBinary64(const wchar_t* name);
std::wstring StandInBinary32(const wchar_t* name);

// Runs a program with arguments to its end and returns what it printed.
ProcessResult RunProgram(const std::wstring& program, const std::wstring& arguments, DWORD timeoutMs = 60000);
ProcessResult RunIndexer(const std::wstring& arguments = L"--once");
ProcessResult RunQuery(const std::wstring& arguments);
ProcessResult RunAdmin64(const std::wstring& arguments);
ProcessResult RunAdmin32(const std::wstring& arguments);

// Occurrences of text in output.
int CountOf(const std::string& output, const std::string& text);

} // namespace brwtest
