#pragma once
// The connector's pipe server: one blocking instance of the pipe the
// protocol handler asks its questions on, one request per connection, each
// run through the command client on this thread.
#include <windows.h>

#include <atomic>
#include <string>

#include "common/Handles.h"
#include "connector/CommandContextHandle.h"

namespace brw {

inline constexpr wchar_t kServerPipeName[] = L"\\\\.\\pipe\\QXServer";
// A request fills at most this much, its terminating NUL included.
inline constexpr DWORD kRequestBufferBytes = 0x8000;

class Listener {
public:
    explicit Listener(std::wstring pipeName = kServerPipeName) : pipeName_(std::move(pipeName)) {}
    virtual ~Listener();
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    // Creates the pipe; false when it cannot be made.
    bool Open();
    // Makes the command context (it belongs to the calling thread) and
    // serves connections until a stop is asked for or the wait for a client
    // fails. Without a context the pipe is closed and nothing is served.
    void ServeUntilStopped();
    // Asked between connections: the server is normally waiting for a client
    // and ends after the next one.
    void RequestStop() { stop_ = true; }

private:
    // False when serving must end.
    bool ServeOneConnection();
    void Answer(const wchar_t* request);
    void Close();

    std::wstring pipeName_;
    FileHandle pipe_;
    CommandContextHandle context_;
    std::atomic<bool> stop_{false};
};

// The listener of the running pipe server thread, or null.
Listener* CurrentListener();

// The pipe server thread: prepares itself for Notes, serves, cleans up.
// parameter: a heap-allocated std::wstring pipe name the thread takes over,
// or null for kServerPipeName.
DWORD WINAPI PipeServerThread(void* parameter);

}  // namespace brw
