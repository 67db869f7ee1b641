#include "platform/winsearch/indexer/WorkerClient.h"

#include "common/WideString.h"

#include <windowssearcherrors.h>

#include <atomic>

namespace brw::winsearch {

namespace {

constexpr DWORD kStartTimeoutMs = 30000;
constexpr DWORD kShutdownGraceMs = 10000;
constexpr DWORD kPipeBufferBytes = 64 * 1024;

std::wstring NewPipeName()
{
    static std::atomic<unsigned> counter{0};
    return FormatText(L"\\\\.\\pipe\\BrwSearchStandIn.Worker.%lu.%u.%llu", GetCurrentProcessId(), ++counter,
                      static_cast<unsigned long long>(GetTickCount64()));
}

std::wstring ThisProgram()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return (length == 0 || length >= MAX_PATH) ? std::wstring() : std::wstring(path, length);
}

} // namespace

WorkerClient::~WorkerClient()
{
    Stop();
}

HRESULT WorkerClient::Start()
{
    const std::wstring program = ThisProgram();
    const std::wstring name = NewPipeName();
    if (program.empty()) {
        return E_FAIL;
    }
    FileHandle pipe(CreateNamedPipeW(name.c_str(),
                                     PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                     PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1,
                                     kPipeBufferBytes, kPipeBufferBytes, 0, nullptr));
    if (!pipe) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    std::wstring commandLine = L"\"" + program + L"\" " + kWorkerSwitch + L" " + name;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info)) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    pipe_ = std::make_unique<OverlappedPipe>(std::move(pipe), process_.get());
    const HRESULT hr = pipe_->Connect(GetTickCount64() + kStartTimeoutMs);
    if (FAILED(hr)) {
        Kill();
    }
    return hr;
}

void WorkerClient::Kill()
{
    pipe_.reset();
    if (process_) {
        TerminateProcess(process_.get(), static_cast<UINT>(GTHR_E_FILTER_PROCESS_TERMINATED));
        WaitForSingleObject(process_.get(), kShutdownGraceMs);
        process_.reset();
    }
}

void WorkerClient::Stop()
{
    pipe_.reset();
    if (process_ && WaitForSingleObject(process_.get(), kShutdownGraceMs) != WAIT_OBJECT_0) {
        Kill();
    }
    process_.reset();
}

HRESULT WorkerClient::Gather(const GatherRequest& request, GatherReply* reply)
{
    if (!process_) {
        const HRESULT hr = Start();
        if (FAILED(hr)) {
            return hr;
        }
    }
    const ULONGLONG deadline = GetTickCount64() + itemTimeoutMs_;
    std::string bytes;
    HRESULT hr = pipe_->Write(EncodeRequest(request), deadline);
    if (SUCCEEDED(hr)) {
        hr = pipe_->Read(&bytes, deadline);
    }
    if (SUCCEEDED(hr) && !DecodeReply(bytes, reply)) {
        hr = GTHR_E_FILTER_INVALID_MESSAGE;
    }
    if (FAILED(hr)) {
        Kill();
    }
    return hr;
}

} // namespace brw::winsearch
