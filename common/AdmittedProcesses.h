#pragma once
// The processes at the other end of a pipe that a check has admitted (the
// connector's clients, the handler's connector), so that the check (several
// calls into the system) runs once per process instead of once per
// exchange. Each entry holds the process open: while a handle to it exists
// its id cannot be given to another process, so the id keeps naming the
// process that was checked. Refusals are not kept. Not locked: one owner
// thread, or the owner's lock.
#include "common/Handles.h"

#include <windows.h>

#include <array>
#include <cstddef>

namespace brw {

// Decides from the process id at the other end whether it may be trusted.
using ProcessAdmission = bool (*)(DWORD processId);

class AdmittedProcesses {
public:
    // The indexer's protocol hosts and the shell, or one connector: a
    // handful of processes.
    static constexpr std::size_t kCapacity = 8;

    explicit AdmittedProcesses(ProcessAdmission check) noexcept : check_(check) {}
    AdmittedProcesses(const AdmittedProcesses&) = delete;
    AdmittedProcesses& operator=(const AdmittedProcesses&) = delete;

    // True when the check admits the process, asked only the first time.
    bool Admits(DWORD processId) noexcept;

private:
    struct Entry {
        DWORD processId = 0;
        KernelHandle process;
    };

    bool IsKnown(DWORD processId) const noexcept;
    void Remember(DWORD processId, KernelHandle process) noexcept;

    ProcessAdmission check_;
    std::array<Entry, kCapacity> entries_;
    std::size_t nextSlot_ = 0; // the oldest entry goes first
};

} // namespace brw
