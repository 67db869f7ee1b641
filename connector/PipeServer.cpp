#include "connector/PipeServer.h"

#include "common/TokenUser.h"
#include "connector/CommandContextHandle.h"

#include <notesapi.h>

#include <memory>
#include <mutex>
#include <new>

namespace brw {
namespace {

// The published listener lives on the pipe server thread's stack. The lock
// makes a stop request and the thread's leaving exclusive: the thread
// unpublishes under it before the listener goes, so a stop either reaches a
// live listener or finds none.
std::mutex g_publication;
Listener* g_currentListener = nullptr;

class Publication {
public:
    explicit Publication(Listener& listener)
    {
        std::lock_guard<std::mutex> hold(g_publication);
        g_currentListener = &listener;
    }
    ~Publication()
    {
        std::lock_guard<std::mutex> hold(g_publication);
        g_currentListener = nullptr;
    }
    Publication(const Publication&) = delete;
    Publication& operator=(const Publication&) = delete;
};

// Made, used and freed on the calling thread: a context belongs to its
// thread.
void Serve(FileHandle instance, HANDLE stop, ProcessAdmission admits) noexcept
{
    const CommandContextHandle context = MakeCommandContext();
    if (!context) {
        return;
    }
    PipeInstance served(std::move(instance), stop, admits);
    served.ServeUntilStopped(context.get());
}

} // namespace

bool RequestPipeServerStop() noexcept
{
    std::lock_guard<std::mutex> hold(g_publication);
    if (g_currentListener == nullptr) {
        return false;
    }
    g_currentListener->RequestStop();
    return true;
}

bool IsPipeServerRunning() noexcept
{
    std::lock_guard<std::mutex> hold(g_publication);
    return g_currentListener != nullptr;
}

Listener::Listener(std::wstring pipeName) : Listener(std::move(pipeName), &RunsAsOwnUser) {}

Listener::Listener(std::wstring pipeName, ProcessAdmission admits)
    : pipeName_(std::move(pipeName)), admits_(admits != nullptr ? admits : &RunsAsOwnUser),
      stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) // manual reset: every thread sees it
{
}

Listener::~Listener() = default;

bool Listener::Open()
{
    if (stop_) {
        firstInstance_ = CreatePipeInstance(pipeName_, InstanceOrder::First);
    }
    return static_cast<bool>(firstInstance_);
}

void Listener::RequestStop() noexcept
{
    SetEvent(stop_.get());
}

void Listener::ServeUntilStopped()
{
    if (!firstInstance_) {
        return;
    }
    // Only once the first instance is ours may others of that name be made.
    StartLaterInstances();
    Serve(std::move(firstInstance_), stop_.get(), admits_);
    // The first instance's end (a stop, or a failed wait) ends them all.
    RequestStop();
    for (const KernelHandle& thread : laterThreads_) {
        WaitForSingleObject(thread.get(), INFINITE);
    }
    laterThreads_.clear();
}

void Listener::StartLaterInstances()
{
    laterThreads_.reserve(kServingThreads - 1); // before any thread exists
    for (unsigned started = 1; started < kServingThreads; ++started) {
        KernelHandle thread(CreateThread(nullptr, 0, &ServeLaterInstance, this, 0, nullptr));
        if (thread) {
            laterThreads_.push_back(std::move(thread));
        }
    }
}

DWORD WINAPI Listener::ServeLaterInstance(void* parameter) noexcept
{
    const Listener& listener = *static_cast<const Listener*>(parameter);
    if (NotesInitThread() != NOERROR_STATUS) {
        return 0;
    }
    FileHandle instance = CreatePipeInstance(listener.pipeName_, InstanceOrder::Later);
    if (instance) {
        Serve(std::move(instance), listener.stop_.get(), listener.admits_);
    }
    NotesTermThread();
    return 0;
}

DWORD WINAPI PipeServerThread(void* parameter) noexcept
{
    std::unique_ptr<std::wstring> pipeName(static_cast<std::wstring*>(parameter));
    if (NotesInitThread() != NOERROR_STATUS) {
        return 0;
    }
    try {
        Listener listener(pipeName ? *pipeName : std::wstring(kConnectorPipeName));
        const Publication published(listener);
        if (listener.Open()) {
            listener.ServeUntilStopped();
        }
    } catch (const std::bad_alloc&) {
        // Only the name's copy and the thread list allocate; without them
        // there is nothing to serve.
    }
    NotesTermThread();
    return 0;
}

} // namespace brw
