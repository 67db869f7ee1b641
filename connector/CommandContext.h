#pragma once
// One command client context: a data service reference and the reply of the
// last command, owned by the thread that made it. That thread keeps COM
// initialised for the context's life, so the service's own initialisation
// around each command only nests (a fresh initialisation per command costs
// several times the parse).
#include "common/ComHolders.h"
#include "connector/ReplyBuffer.h"
#include "notesdata/commands/ExecuteCommand.h"

#include <windows.h>

#include <map>
#include <memory>
#include <mutex>

namespace brw {

// Makes the data service; 0 on success, as the data service's entry does.
using ServiceFactory = int(WINAPI*)(IExecuteCommand** service);

class CommandContext {
public:
    // Fails (returns null) when the service cannot be made.
    static std::unique_ptr<CommandContext> Create(ServiceFactory factory);
    ~CommandContext();
    CommandContext(const CommandContext&) = delete;
    CommandContext& operator=(const CommandContext&) = delete;

    bool IsOwnedByThisThread() const { return GetCurrentThreadId() == thread_; }
    void ClearReply() { reply_.Clear(); }
    // True when the service ran the command and its reply is complete.
    bool Execute(const wchar_t* command);
    const ReplyBuffer& Reply() const { return reply_; }

private:
    CommandContext() = default;

    DWORD thread_ = GetCurrentThreadId();
    bool comInitialised_ = false;
    ComPtr<IExecuteCommand> service_;
    ReplyBuffer reply_;
};

// The contexts handed out by number, so that a stale or made-up number is
// refused instead of being taken for a pointer.
class CommandContextTable {
public:
    DWORD Add(std::unique_ptr<CommandContext> context);
    // Null for an unknown number.
    CommandContext* Find(DWORD id);
    std::unique_ptr<CommandContext> Remove(DWORD id);

private:
    std::mutex lock_;
    std::map<DWORD, std::unique_ptr<CommandContext>> contexts_;
    DWORD lastId_ = 0;
};

} // namespace brw
