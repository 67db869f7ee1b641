#pragma once
// What programs write with OutputDebugString while the watch lives, read
// the way a debug viewer reads it without attaching a debugger: through the
// system's shared debug-output buffer, which OutputDebugString fills when no
// debugger takes the string. One reader at a time per session can hold the
// buffer.
#include "common/Handles.h"

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace brwdemo {

struct DebugLine {
    DWORD processId = 0;
    std::string text;
};

class DebugOutputWatch {
public:
    DebugOutputWatch();
    ~DebugOutputWatch();
    DebugOutputWatch(const DebugOutputWatch&) = delete;
    DebugOutputWatch& operator=(const DebugOutputWatch&) = delete;

    // False when the buffer could not be had (another reader holds it).
    bool IsWatching() const { return reader_.joinable(); }

    // Ends the watch, after taking a line already handed over, and returns
    // every line seen, in order.
    std::vector<DebugLine> Finish();

private:
    void Read();

    brw::KernelHandle mapping_;
    void* view_ = nullptr;
    brw::KernelHandle bufferReady_;
    brw::KernelHandle dataReady_;
    brw::KernelHandle stop_;
    std::thread reader_;
    std::mutex linesLock_;
    std::vector<DebugLine> lines_;
};

} // namespace brwdemo
