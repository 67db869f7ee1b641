#include "common/AdmittedProcesses.h"

#include "common/TokenUser.h"

namespace brw {

bool AdmittedProcesses::Admits(DWORD processId) noexcept
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

bool AdmittedProcesses::IsKnown(DWORD processId) const noexcept
{
    for (const Entry& entry : entries_) {
        if (entry.process && entry.processId == processId) {
            return true;
        }
    }
    return false;
}

void AdmittedProcesses::Remember(DWORD processId, KernelHandle process) noexcept
{
    Entry& slot = entries_[nextSlot_];
    slot.processId = processId;
    slot.process = std::move(process);
    nextSlot_ = (nextSlot_ + 1) % kCapacity;
}

} // namespace brw
