#include "connector/AdmittedClients.h"

#include "common/TokenUser.h"

namespace brw {

bool AdmittedClients::Admits(DWORD processId) noexcept
{
    if (IsKnown(processId)) {
        return true;
    }
    // Opened before the check, so that the id checked is the id kept.
    KernelHandle process(OpenProcess(SYNCHRONIZE, kNotInherited, processId));
    if (!check_(processId)) {
        return false;
    }
    if (process) {
        Remember(processId, std::move(process));
    }
    return true;
}

bool AdmittedClients::IsKnown(DWORD processId) const noexcept
{
    for (const Entry& entry : entries_) {
        if (entry.process && entry.processId == processId) {
            return true;
        }
    }
    return false;
}

void AdmittedClients::Remember(DWORD processId, KernelHandle process) noexcept
{
    Entry& slot = entries_[nextSlot_];
    slot.processId = processId;
    slot.process = std::move(process);
    nextSlot_ = (nextSlot_ + 1) % kCapacity;
}

} // namespace brw
