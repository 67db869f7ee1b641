#pragma once
// The client processes a serving thread has admitted, so that the admission
// check (several calls into the system per connection) runs once per client
// process instead of once per request. Each entry holds the process open:
// while a handle to it exists its id cannot be given to another process, so
// the id keeps naming the process that was checked. Refusals are not kept.
#include "common/Handles.h"

#include <windows.h>

#include <array>
#include <cstddef>

namespace brw {

// Decides from a connected client's process id whether it may be served.
using ClientAdmission = bool (*)(DWORD clientProcessId);

class AdmittedClients {
public:
    // The indexer's protocol hosts and the shell: a handful of processes.
    static constexpr std::size_t kCapacity = 8;

    explicit AdmittedClients(ClientAdmission check) noexcept : check_(check) {}
    AdmittedClients(const AdmittedClients&) = delete;
    AdmittedClients& operator=(const AdmittedClients&) = delete;

    // True when the check admits the process, asked only the first time.
    bool Admits(DWORD processId) noexcept;

private:
    struct Entry {
        DWORD processId = 0;
        KernelHandle process;
    };

    bool IsKnown(DWORD processId) const noexcept;
    void Remember(DWORD processId, KernelHandle process) noexcept;

    ClientAdmission check_;
    std::array<Entry, kCapacity> entries_;
    std::size_t nextSlot_ = 0; // the oldest entry goes first
};

} // namespace brw
