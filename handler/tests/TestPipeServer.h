// A stand-in for the connector's end of the pipe: one message-mode instance
// that answers each request with whatever the test's responder returns.
#pragma once
#include "common/Handles.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace brwtest {

// Bytes of a UTF-16 text, without a terminator unless the text has one.
std::vector<BYTE> Utf16Bytes(const std::wstring& text);

// A pipe name no other test uses.
std::wstring UniquePipeName();

class TestPipeServer {
public:
    // The reply to send, or nothing to disconnect without answering.
    using Responder = std::function<std::optional<std::vector<BYTE>>(const std::vector<BYTE>& request)>;

    // The pipe exists when the constructor returns; security null gives the
    // default security.
    TestPipeServer(std::wstring name, Responder responder, SECURITY_ATTRIBUTES* security = nullptr);
    ~TestPipeServer();
    TestPipeServer(const TestPipeServer&) = delete;
    TestPipeServer& operator=(const TestPipeServer&) = delete;

    bool Listening() const { return static_cast<bool>(pipe_); }
    // Every request as received, in bytes.
    std::vector<std::vector<BYTE>> Requests();
    // The last request as text up to its first NUL.
    std::wstring LastRequestText();

private:
    void Serve();
    bool WaitFor(OVERLAPPED* overlapped, BOOL started, DWORD* bytes);
    bool ReadRequest(std::vector<BYTE>* request);
    bool WriteAll(const std::vector<BYTE>& reply);

    std::wstring name_;
    Responder responder_;
    brw::FileHandle pipe_;
    brw::KernelHandle stop_;
    brw::KernelHandle io_;
    std::mutex lock_;
    std::vector<std::vector<BYTE>> requests_;
    std::thread thread_;
};

} // namespace brwtest
