#include "tests/support/ProcessRun.h"

#include <memory>
#include <string>

namespace brwtest {

RunningProcess::RunningProcess(const ProcessSpec& launch)
{
    brw::FileHandle outputWrite;
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    if (launch.captureOutput) {
        SECURITY_ATTRIBUTES inheritable{sizeof(inheritable), nullptr, TRUE};
        if (!CreatePipe(outputRead_.put(), outputWrite.put(), &inheritable, 0)) {
            startError_ = GetLastError();
            return;
        }
        SetHandleInformation(outputRead_.get(), HANDLE_FLAG_INHERIT, 0);
        si.dwFlags = STARTF_USESTDHANDLES;
        si.hStdInput = nullptr;
        si.hStdOutput = outputWrite.get();
        si.hStdError = outputWrite.get();
    }
    std::wstring commandLine = launch.commandLine;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, launch.captureOutput, launch.creationFlags,
                       nullptr, nullptr, &si, &pi)) {
        process_.reset(pi.hProcess);
        processId_ = pi.dwProcessId;
        CloseHandle(pi.hThread);
    } else {
        startError_ = GetLastError();
    }
    // Only the child may hold the write end, or the reader never sees the end.
    outputWrite.reset();
    if (process_ && outputRead_) {
        outputArrived_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        reader_.reset(CreateThread(nullptr, 0, &RunningProcess::ReadOutput, this, 0, nullptr));
    }
}

RunningProcess::~RunningProcess()
{
    if (process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.get(), 0xDEAD);
        WaitForSingleObject(process_.get(), 5000);
    }
    StopReader();
}

void RunningProcess::StopReader()
{
    if (reader_) {
        CancelSynchronousIo(reader_.get());
        WaitForSingleObject(reader_.get(), INFINITE);
        reader_.reset();
    }
}

DWORD WINAPI RunningProcess::ReadOutput(void* self)
{
    auto* me = static_cast<RunningProcess*>(self);
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(me->outputRead_.get(), buffer, sizeof(buffer), &got, nullptr) && got > 0) {
        std::lock_guard<std::mutex> hold(me->outputLock_);
        me->output_.append(buffer, got);
        SetEvent(me->outputArrived_.get());
    }
    std::lock_guard<std::mutex> hold(me->outputLock_);
    me->outputEnded_ = true;
    SetEvent(me->outputArrived_.get());
    return 0;
}

bool RunningProcess::WaitForOutput(const std::string& text, DWORD timeoutMs)
{
    if (!outputArrived_) {
        return false;
    }
    DWORD start = GetTickCount();
    for (;;) {
        {
            std::lock_guard<std::mutex> hold(outputLock_);
            if (output_.find(text) != std::string::npos) {
                return true;
            }
            if (outputEnded_) {
                return false;
            }
        }
        DWORD spent = GetTickCount() - start;
        if (spent >= timeoutMs || WaitForSingleObject(outputArrived_.get(), timeoutMs - spent) != WAIT_OBJECT_0) {
            return false;
        }
    }
}

std::string RunningProcess::OutputSoFar()
{
    std::lock_guard<std::mutex> hold(outputLock_);
    return output_;
}

ProcessResult RunningProcess::Wait(DWORD timeoutMs)
{
    ProcessResult result;
    result.started = static_cast<bool>(process_);
    result.startError = startError_;
    // The output names what went wrong, since a failing test prints it.
    if (!result.started) {
        result.output = "(did not start: error " + std::to_string(startError_) + ")";
        return result;
    }
    if (WaitForSingleObject(process_.get(), timeoutMs) != WAIT_OBJECT_0) {
        result.timedOut = true;
        std::lock_guard<std::mutex> hold(outputLock_);
        result.output = output_ + "(still running after " + std::to_string(timeoutMs) + " ms)";
        return result;
    }
    GetExitCodeProcess(process_.get(), &result.exitCode);
    // Grandchildren that inherited the pipe may keep it open; their output
    // is not the program's, so do not wait long for it to end.
    if (reader_ && WaitForSingleObject(reader_.get(), 5000) != WAIT_OBJECT_0) {
        StopReader();
    }
    reader_.reset();
    std::lock_guard<std::mutex> hold(outputLock_);
    result.output = output_;
    return result;
}

std::vector<ProcessResult> RunTogether(const std::vector<ProcessSpec>& launches, DWORD timeoutMs)
{
    std::vector<std::unique_ptr<RunningProcess>> running;
    for (const ProcessSpec& launch : launches) {
        running.push_back(std::make_unique<RunningProcess>(launch));
    }
    std::vector<ProcessResult> results;
    DWORD start = GetTickCount();
    for (auto& process : running) {
        DWORD spent = GetTickCount() - start;
        results.push_back(process->Wait(spent < timeoutMs ? timeoutMs - spent : 0));
    }
    return results;
}

} // namespace brwtest
