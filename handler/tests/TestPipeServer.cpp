#include "handler/tests/TestPipeServer.h"

#include <cstring>

namespace brwtest {

std::vector<BYTE> Utf16Bytes(const std::wstring& text)
{
    std::vector<BYTE> bytes(text.size() * sizeof(wchar_t));
    if (!text.empty()) {
        std::memcpy(bytes.data(), text.data(), bytes.size());
    }
    return bytes;
}

std::wstring UniquePipeName()
{
    static std::atomic<unsigned> counter{0};
    return L"\\\\.\\pipe\\BrwHandlerTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++counter);
}

TestPipeServer::TestPipeServer(std::wstring name, Responder responder, SECURITY_ATTRIBUTES* security)
    : name_(std::move(name)), responder_(std::move(responder)),
      pipe_(CreateNamedPipeW(name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                             PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 65536, 65536, 0, security)),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), io_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    if (pipe_) {
        thread_ = std::thread([this] { Serve(); });
    }
}

TestPipeServer::~TestPipeServer()
{
    SetEvent(stop_.get());
    if (thread_.joinable()) {
        thread_.join();
    }
}

std::vector<std::vector<BYTE>> TestPipeServer::Requests()
{
    std::lock_guard<std::mutex> hold(lock_);
    return requests_;
}

std::wstring TestPipeServer::LastRequestText()
{
    std::lock_guard<std::mutex> hold(lock_);
    if (requests_.empty()) {
        return {};
    }
    const auto& bytes = requests_.back();
    std::wstring text(bytes.size() / 2, L'\0');
    std::memcpy(&text[0], bytes.data(), text.size() * 2);
    return text.substr(0, text.find(L'\0'));
}

bool TestPipeServer::WaitFor(OVERLAPPED* overlapped, BOOL started, DWORD* bytes)
{
    if (!started) {
        const DWORD error = GetLastError();
        if (error == ERROR_PIPE_CONNECTED) {
            return true;
        }
        if (error == ERROR_IO_PENDING) {
            HANDLE events[] = {overlapped->hEvent, stop_.get()};
            if (WaitForMultipleObjects(2, events, FALSE, INFINITE) != WAIT_OBJECT_0) {
                CancelIo(pipe_.get());
                DWORD ignored = 0;
                GetOverlappedResult(pipe_.get(), overlapped, &ignored, TRUE);
                SetLastError(ERROR_OPERATION_ABORTED);
                return false;
            }
        } else if (error != ERROR_MORE_DATA) {
            return false;
        }
    }
    // For a partial message this fails with ERROR_MORE_DATA and still
    // reports the bytes read.
    return GetOverlappedResult(pipe_.get(), overlapped, bytes, FALSE) != FALSE;
}

bool TestPipeServer::ReadRequest(std::vector<BYTE>* request)
{
    for (;;) {
        BYTE chunk[4096];
        OVERLAPPED overlapped = {};
        overlapped.hEvent = io_.get();
        ResetEvent(io_.get());
        DWORD read = 0;
        const BOOL started = ReadFile(pipe_.get(), chunk, sizeof(chunk), &read, &overlapped);
        const bool done = WaitFor(&overlapped, started, &read);
        const DWORD error = GetLastError();
        request->insert(request->end(), chunk, chunk + read);
        if (done) {
            return true;
        }
        if (error != ERROR_MORE_DATA) {
            return false;
        }
    }
}

bool TestPipeServer::WriteAll(const std::vector<BYTE>& reply)
{
    OVERLAPPED overlapped = {};
    overlapped.hEvent = io_.get();
    ResetEvent(io_.get());
    DWORD written = 0;
    const BOOL started = WriteFile(pipe_.get(), reply.data(), static_cast<DWORD>(reply.size()), &written, &overlapped);
    return WaitFor(&overlapped, started, &written) && written == reply.size();
}

void TestPipeServer::Serve()
{
    while (WaitForSingleObject(stop_.get(), 0) == WAIT_TIMEOUT) {
        OVERLAPPED overlapped = {};
        overlapped.hEvent = io_.get();
        ResetEvent(io_.get());
        DWORD ignored = 0;
        if (!WaitFor(&overlapped, ConnectNamedPipe(pipe_.get(), &overlapped), &ignored)) {
            if (WaitForSingleObject(stop_.get(), 0) == WAIT_OBJECT_0) {
                break;
            }
            DisconnectNamedPipe(pipe_.get());
            continue;
        }
        std::vector<BYTE> request;
        if (ReadRequest(&request)) {
            {
                std::lock_guard<std::mutex> hold(lock_);
                requests_.push_back(request);
            }
            std::optional<std::vector<BYTE>> reply = responder_(request);
            if (reply) {
                WriteAll(*reply);
                FlushFileBuffers(pipe_.get());
            }
        }
        DisconnectNamedPipe(pipe_.get());
    }
}

} // namespace brwtest
