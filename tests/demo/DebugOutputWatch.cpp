#include "tests/demo/DebugOutputWatch.h"

#include <cstring>

namespace brwdemo {
namespace {

// The shared debug-output buffer's layout and names, as OutputDebugString
// uses them: the writer's process id, then its text, NUL-terminated within
// the page.
constexpr wchar_t kBufferName[] = L"DBWIN_BUFFER";
constexpr wchar_t kBufferReadyName[] = L"DBWIN_BUFFER_READY";
constexpr wchar_t kDataReadyName[] = L"DBWIN_DATA_READY";
constexpr DWORD kBufferBytes = 4096;

struct SharedBuffer {
    DWORD processId;
    char text[kBufferBytes - sizeof(DWORD)];
};
static_assert(sizeof(SharedBuffer) == kBufferBytes, "the buffer is one page");

enum class Reset : BOOL { Automatic = FALSE, Manual = TRUE };

HANDLE MakeEvent(const wchar_t* name, Reset reset)
{
    return CreateEventW(nullptr, static_cast<BOOL>(reset), FALSE, name);
}

} // namespace

DebugOutputWatch::DebugOutputWatch()
{
    mapping_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kBufferBytes, kBufferName));
    // A buffer that exists already is another reader's.
    if (!mapping_ || GetLastError() == ERROR_ALREADY_EXISTS) {
        mapping_.reset();
        return;
    }
    view_ = MapViewOfFile(mapping_.get(), FILE_MAP_READ, 0, 0, kBufferBytes);
    bufferReady_.reset(MakeEvent(kBufferReadyName, Reset::Automatic));
    dataReady_.reset(MakeEvent(kDataReadyName, Reset::Automatic));
    stop_.reset(MakeEvent(nullptr, Reset::Manual));
    if (view_ != nullptr && bufferReady_ && dataReady_ && stop_) {
        reader_ = std::thread([this] { Read(); });
    }
}

DebugOutputWatch::~DebugOutputWatch()
{
    Finish();
    if (view_ != nullptr) {
        UnmapViewOfFile(view_);
    }
}

std::vector<DebugLine> DebugOutputWatch::Finish()
{
    if (reader_.joinable()) {
        SetEvent(stop_.get());
        reader_.join();
    }
    const std::lock_guard<std::mutex> hold(linesLock_);
    return lines_;
}

void DebugOutputWatch::Read()
{
    const auto* buffer = static_cast<const SharedBuffer*>(view_);
    // Data first: a line handed over before the stop is still taken.
    HANDLE wakes[] = {dataReady_.get(), stop_.get()};
    SetEvent(bufferReady_.get());
    while (WaitForMultipleObjects(ARRAYSIZE(wakes), wakes, FALSE, INFINITE) == WAIT_OBJECT_0) {
        DebugLine line;
        line.processId = buffer->processId;
        line.text.assign(buffer->text, strnlen(buffer->text, sizeof(buffer->text)));
        {
            const std::lock_guard<std::mutex> hold(linesLock_);
            lines_.push_back(std::move(line));
        }
        SetEvent(bufferReady_.get());
    }
}

} // namespace brwdemo
