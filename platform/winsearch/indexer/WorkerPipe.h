// Frames over the host-worker pipe. The worker's side blocks; the host's
// side is overlapped, so that a worker that hangs or dies costs a time-out
// or a process exit, never a host that waits for ever.
#pragma once

#include "common/Handles.h"

#include <string>

namespace brw::winsearch {

// A frame's first read takes up to this much, usually the whole frame.
inline constexpr unsigned kFirstReadBytes = 16 * 1024;

// Worker side, blocking. ReadFrame gives S_FALSE when the host closed the pipe.
HRESULT WriteFrame(HANDLE pipe, const std::string& bytes);
HRESULT ReadFrame(HANDLE pipe, std::string* bytes);

// Host side: the server end of a pipe opened with FILE_FLAG_OVERLAPPED.
class OverlappedPipe {
public:
    OverlappedPipe(FileHandle pipe, HANDLE process);
    // Each gives up at the deadline (a GetTickCount64 value) or when the
    // worker process ends, whichever comes first.
    HRESULT Connect(ULONGLONG deadline);
    HRESULT Write(const std::string& bytes, ULONGLONG deadline);
    HRESULT Read(std::string* bytes, ULONGLONG deadline);

private:
    HRESULT Transfer(bool write, char* data, DWORD least, DWORD size, ULONGLONG deadline, DWORD* moved);
    HRESULT Wait(OVERLAPPED* overlapped, ULONGLONG deadline, DWORD* transferred);

    FileHandle pipe_;
    HANDLE process_;
    KernelHandle event_;
};

} // namespace brw::winsearch
