#include "platform/winsearch/indexer/WorkerPipe.h"

#include "platform/winsearch/indexer/WorkerMessages.h"

#include <windowssearcherrors.h>

#include <cstring>

namespace brw::winsearch {

namespace {

HRESULT LastError()
{
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

HRESULT WriteAll(HANDLE pipe, const char* data, DWORD size)
{
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(pipe, data, size, &written, nullptr)) {
            return LastError();
        }
        data += written;
        size -= written;
    }
    return S_OK;
}

// S_FALSE for a pipe closed before the first byte.
HRESULT ReadAll(HANDLE pipe, char* data, DWORD size)
{
    DWORD done = 0;
    while (done < size) {
        DWORD read = 0;
        if (!ReadFile(pipe, data + done, size - done, &read, nullptr)) {
            const DWORD error = GetLastError();
            if ((error == ERROR_BROKEN_PIPE || error == ERROR_PIPE_NOT_CONNECTED) && done == 0) {
                return S_FALSE;
            }
            return HRESULT_FROM_WIN32(error);
        }
        if (read == 0) {
            return done == 0 ? S_FALSE : HRESULT_FROM_WIN32(ERROR_HANDLE_EOF);
        }
        done += read;
    }
    return S_OK;
}

} // namespace

HRESULT WriteFrame(HANDLE pipe, const std::string& bytes)
{
    const DWORD size = static_cast<DWORD>(bytes.size());
    HRESULT hr = WriteAll(pipe, reinterpret_cast<const char*>(&size), sizeof(size));
    return SUCCEEDED(hr) ? WriteAll(pipe, bytes.data(), size) : hr;
}

HRESULT ReadFrame(HANDLE pipe, std::string* bytes)
{
    DWORD size = 0;
    HRESULT hr = ReadAll(pipe, reinterpret_cast<char*>(&size), sizeof(size));
    if (hr != S_OK) {
        return hr;
    }
    if (size > kMaxFrameBytes) {
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    }
    bytes->resize(size);
    hr = ReadAll(pipe, bytes->data(), size);
    return hr == S_FALSE ? HRESULT_FROM_WIN32(ERROR_HANDLE_EOF) : hr;
}

OverlappedPipe::OverlappedPipe(FileHandle pipe, HANDLE process)
    : pipe_(std::move(pipe)), process_(process), event_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

HRESULT OverlappedPipe::Wait(OVERLAPPED* overlapped, ULONGLONG deadline, DWORD* transferred)
{
    const ULONGLONG now = GetTickCount64();
    const DWORD timeout = deadline > now ? static_cast<DWORD>(deadline - now) : 0;
    const HANDLE handles[] = {event_.get(), process_};
    const DWORD wait = WaitForMultipleObjects(2, handles, FALSE, timeout);
    if (wait != WAIT_OBJECT_0) {
        CancelIo(pipe_.get());
        // The cancelled operation must be finished before its buffer goes.
        DWORD ignored = 0;
        GetOverlappedResult(pipe_.get(), overlapped, &ignored, TRUE);
        return wait == WAIT_TIMEOUT ? HRESULT_FROM_WIN32(ERROR_TIMEOUT) : GTHR_E_FILTER_PROCESS_TERMINATED;
    }
    if (!GetOverlappedResult(pipe_.get(), overlapped, transferred, FALSE)) {
        const DWORD error = GetLastError();
        return error == ERROR_BROKEN_PIPE ? GTHR_E_FILTER_PROCESS_TERMINATED : HRESULT_FROM_WIN32(error);
    }
    return S_OK;
}

HRESULT OverlappedPipe::Connect(ULONGLONG deadline)
{
    if (!event_) {
        return LastError();
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = event_.get();
    ResetEvent(event_.get());
    if (ConnectNamedPipe(pipe_.get(), &overlapped)) {
        return S_OK;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) {
        return S_OK;
    }
    if (error != ERROR_IO_PENDING) {
        return HRESULT_FROM_WIN32(error);
    }
    DWORD ignored = 0;
    return Wait(&overlapped, deadline, &ignored);
}

HRESULT OverlappedPipe::Transfer(bool write, char* data, DWORD size, ULONGLONG deadline)
{
    while (size > 0) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event_.get();
        ResetEvent(event_.get());
        DWORD transferred = 0;
        const BOOL done = write ? WriteFile(pipe_.get(), data, size, nullptr, &overlapped)
                                : ReadFile(pipe_.get(), data, size, nullptr, &overlapped);
        if (!done && GetLastError() != ERROR_IO_PENDING) {
            const DWORD error = GetLastError();
            return error == ERROR_BROKEN_PIPE ? GTHR_E_FILTER_PROCESS_TERMINATED : HRESULT_FROM_WIN32(error);
        }
        const HRESULT hr = Wait(&overlapped, deadline, &transferred);
        if (FAILED(hr)) {
            return hr;
        }
        if (transferred == 0) {
            return GTHR_E_FILTER_PROCESS_TERMINATED;
        }
        data += transferred;
        size -= transferred;
    }
    return S_OK;
}

HRESULT OverlappedPipe::Write(const std::string& bytes, ULONGLONG deadline)
{
    std::string frame(sizeof(DWORD), '\0');
    const DWORD size = static_cast<DWORD>(bytes.size());
    std::memcpy(frame.data(), &size, sizeof(size));
    frame += bytes;
    return Transfer(true, frame.data(), static_cast<DWORD>(frame.size()), deadline);
}

HRESULT OverlappedPipe::Read(std::string* bytes, ULONGLONG deadline)
{
    DWORD size = 0;
    HRESULT hr = Transfer(false, reinterpret_cast<char*>(&size), sizeof(size), deadline);
    if (FAILED(hr)) {
        return hr;
    }
    if (size > kMaxFrameBytes) {
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    }
    bytes->resize(size);
    return size == 0 ? S_OK : Transfer(false, bytes->data(), size, deadline);
}

} // namespace brw::winsearch
