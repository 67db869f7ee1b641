#include "connector/CommandContext.h"

namespace brw {

std::unique_ptr<CommandContext> CommandContext::Create(ServiceFactory factory)
{
    std::unique_ptr<CommandContext> context(new (std::nothrow) CommandContext);
    if (!context || factory == nullptr) {
        return nullptr;
    }
    HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    context->comInitialised_ = SUCCEEDED(hr);
    IExecuteCommand* service = nullptr;
    if (factory(&service) != 0 || service == nullptr) {
        return nullptr;
    }
    context->service_.Attach(service);
    return context;
}

CommandContext::~CommandContext()
{
    service_.reset();
    // Only the owning thread may undo its initialisation. The exports free a
    // context on its own thread only; a context its thread left behind goes
    // with the table at process exit, when that thread's apartment is gone.
    if (comInitialised_ && IsOwnedByThisThread()) {
        CoUninitialize();
    }
}

bool CommandContext::Execute(const wchar_t* command)
{
    if (command == nullptr || !service_) {
        return false;
    }
    int result = service_->Execute(&reply_, command);
    return result == 0 && reply_.IsComplete();
}

DWORD CommandContextTable::Add(std::unique_ptr<CommandContext> context)
{
    std::lock_guard<std::mutex> hold(lock_);
    DWORD id = ++lastId_;
    if (id == 0) {
        id = ++lastId_; // 0 means "no context" to callers
    }
    contexts_[id] = std::move(context);
    return id;
}

CommandContext* CommandContextTable::Find(DWORD id)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto found = contexts_.find(id);
    return found == contexts_.end() ? nullptr : found->second.get();
}

std::unique_ptr<CommandContext> CommandContextTable::Remove(DWORD id)
{
    std::lock_guard<std::mutex> hold(lock_);
    auto found = contexts_.find(id);
    if (found == contexts_.end()) {
        return nullptr;
    }
    std::unique_ptr<CommandContext> context = std::move(found->second);
    contexts_.erase(found);
    return context;
}

} // namespace brw
