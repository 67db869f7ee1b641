#pragma once
// The connector's pipe server: a few serving threads, each with an instance
// of the pipe the protocol handler asks its questions on and a command
// context of its own, one request per connection.
#include "common/Handles.h"
#include "common/PipeProtocol.h"
#include "connector/PipeInstance.h"

#include <windows.h>

#include <string>
#include <vector>

namespace brw {

// Connections served at once: the indexer gathers with several filter
// threads, and each would otherwise queue behind the others' requests; more
// threads would mostly hold idle Notes thread state.
inline constexpr unsigned kServingThreads = 4;

// Who owns what: the thread that calls ServeUntilStopped serves the first
// instance with a context it makes and frees, and starts, waits for and
// closes the other serving threads, which make and free their own contexts
// and instances. The first instance belongs to the Listener.
class Listener {
public:
    // Serves clients that run as the user this process runs as.
    explicit Listener(std::wstring pipeName = kConnectorPipeName);
    Listener(std::wstring pipeName, ProcessAdmission admits);
    virtual ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Creates the pipe's first instance, reachable by this user and SYSTEM
    // only; false when it cannot be made or a pipe of that name exists
    // already.
    bool Open();
    // Serves connections on every serving thread until a stop is asked for
    // or the wait for a client fails on the calling thread; returns once
    // every serving thread has ended.
    void ServeUntilStopped();
    // From any thread, at any time: every serving thread ends at its next
    // wait, also one waiting for a client or for a request.
    void RequestStop() noexcept;

private:
    static DWORD WINAPI ServeLaterInstance(void* listener) noexcept;
    void StartLaterInstances();

    std::wstring pipeName_;
    ProcessAdmission admits_;
    KernelHandle stop_;
    FileHandle firstInstance_;
    std::vector<KernelHandle> laterThreads_;
};

// Asks the running pipe server thread to stop. False when no server thread
// runs (not started yet, or already ended): then nothing is touched and a
// later start serves as usual.
bool RequestPipeServerStop() noexcept;

// True while a pipe server thread serves.
bool IsPipeServerRunning() noexcept;

// The pipe server thread: prepares itself for Notes, serves, cleans up.
// parameter: a heap-allocated std::wstring pipe name the thread takes over,
// or null for kConnectorPipeName.
DWORD WINAPI PipeServerThread(void* parameter) noexcept;

} // namespace brw
