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

// Reads at least `least` bytes and at most `most`; S_FALSE for a pipe
// closed before the first byte.
HRESULT ReadAtLeast(HANDLE pipe, char* data, DWORD least, DWORD most, DWORD* got)
{
    DWORD done = 0;
    while (done < least) {
        DWORD read = 0;
        if (!ReadFile(pipe, data + done, most - done, &read, nullptr)) {
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
    *got = done;
    return S_OK;
}

std::string Framed(const std::string& bytes)
{
    std::string frame(sizeof(DWORD), '\0');
    const DWORD size = static_cast<DWORD>(bytes.size());
    std::memcpy(frame.data(), &size, sizeof(size));
    return frame + bytes;
}

// The payload begun by the first `got` bytes of a frame; *missing is what is
// still to come. Each side sends a frame in one write and then waits for
// the answer, so a first read holds no part of a next frame.
HRESULT BeginPayload(const char* first, DWORD got, std::string* bytes, DWORD* missing)
{
    DWORD size = 0;
    std::memcpy(&size, first, sizeof(size));
    const DWORD payload = got - static_cast<DWORD>(sizeof(size));
    if (size > kMaxFrameBytes || payload > size) {
        return HRESULT_FROM_WIN32(ERROR_INVALID_DATA);
    }
    bytes->assign(first + sizeof(size), payload);
    bytes->resize(size);
    *missing = size - payload;
    return S_OK;
}

} // namespace

HRESULT WriteFrame(HANDLE pipe, const std::string& bytes)
{
    const std::string frame = Framed(bytes);
    return WriteAll(pipe, frame.data(), static_cast<DWORD>(frame.size()));
}

HRESULT ReadFrame(HANDLE pipe, std::string* bytes)
{
    char first[kFirstReadBytes];
    DWORD got = 0;
    HRESULT hr = ReadAtLeast(pipe, first, sizeof(DWORD), sizeof(first), &got);
    DWORD missing = 0;
    if (hr == S_OK) {
        hr = BeginPayload(first, got, bytes, &missing);
    }
    if (hr != S_OK || missing == 0) {
        return hr;
    }
    hr = ReadAtLeast(pipe, bytes->data() + (bytes->size() - missing), missing, missing, &got);
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

// Moves at least `least` of the `size` bytes at data; *moved says how many.
HRESULT OverlappedPipe::Transfer(bool write, char* data, DWORD least, DWORD size, ULONGLONG deadline, DWORD* moved)
{
    DWORD done = 0;
    while (done < least) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = event_.get();
        ResetEvent(event_.get());
        DWORD transferred = 0;
        const BOOL finished = write ? WriteFile(pipe_.get(), data + done, size - done, nullptr, &overlapped)
                                    : ReadFile(pipe_.get(), data + done, size - done, nullptr, &overlapped);
        if (!finished && GetLastError() != ERROR_IO_PENDING) {
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
        done += transferred;
    }
    *moved = done;
    return S_OK;
}

HRESULT OverlappedPipe::Write(const std::string& bytes, ULONGLONG deadline)
{
    std::string frame = Framed(bytes);
    const DWORD size = static_cast<DWORD>(frame.size());
    DWORD moved = 0;
    return Transfer(true, frame.data(), size, size, deadline, &moved);
}

HRESULT OverlappedPipe::Read(std::string* bytes, ULONGLONG deadline)
{
    char first[kFirstReadBytes];
    DWORD got = 0;
    HRESULT hr = Transfer(false, first, sizeof(DWORD), sizeof(first), deadline, &got);
    DWORD missing = 0;
    if (SUCCEEDED(hr)) {
        hr = BeginPayload(first, got, bytes, &missing);
    }
    if (FAILED(hr) || missing == 0) {
        return hr;
    }
    return Transfer(false, bytes->data() + (bytes->size() - missing), missing, missing, deadline, &got);
}

} // namespace brw::winsearch
