#pragma once
// One instance of the connector's pipe and the loop of the thread that
// serves it: one request per connection, run through that thread's command
// context. Every wait also watches the listener's stop event, so a stop ends
// the loop at once, even while a client holds the connection open.
#include "common/AdmittedProcesses.h"
#include "common/Handles.h"

#include <windows.h>

#include <string>

namespace brw {

enum class InstanceOrder {
    First, // makes the pipe: fails when a pipe of that name exists already
    Later, // joins the pipe this process made first
};

// A new instance, for overlapped I/O, reachable by this user and SYSTEM only
// and never by remote clients; invalid when it cannot be made.
FileHandle CreatePipeInstance(const std::wstring& pipeName, InstanceOrder order) noexcept;

class PipeInstance {
public:
    // Takes the instance over; stop must outlive this object.
    PipeInstance(FileHandle pipe, HANDLE stop, ProcessAdmission admits) noexcept;
    PipeInstance(const PipeInstance&) = delete;
    PipeInstance& operator=(const PipeInstance&) = delete;

    bool IsValid() const { return pipe_ && ioDone_; }
    // Serves connections until stop is signalled or the wait for a client
    // fails.
    void ServeUntilStopped(DWORD context) noexcept;

private:
    enum class Outcome { Done, Failed, Stopped };

    // The overlapped operation just started (started is its return value)
    // carried to its end, or cancelled at a stop.
    Outcome Finish(BOOL started, DWORD* transferred) noexcept;
    Outcome AwaitClient() noexcept;
    // Done when the connection was served (or dropped); any other outcome
    // ends serving.
    Outcome ServeOneConnection(DWORD context) noexcept;
    bool AdmitsConnectedClient() noexcept;
    // Done with a request of at least one byte in request.
    Outcome Receive(wchar_t* request) noexcept;
    Outcome Answer(DWORD context, const wchar_t* request) noexcept;
    Outcome Write(const void* bytes, DWORD length) noexcept;

    FileHandle pipe_;
    HANDLE stop_;
    AdmittedProcesses admitted_;
    KernelHandle ioDone_;
    OVERLAPPED io_ = {};
};

} // namespace brw
