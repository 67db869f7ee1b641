#pragma once
// Owning holders for the Notes API's handles: databases, notes, id tables,
// memory blocks and compiled formulas. Each closes what it holds once.
#include "common/Handles.h"

#include <notesapi.h>

namespace brw {

template <STATUS(LNPUBLIC* CloseFunction)(DHANDLE)>
struct NotesHandleTraits {
    using pointer = DHANDLE;
    static pointer Invalid() noexcept { return 0; }
    static bool IsValid(pointer h) noexcept { return h != 0; }
    static void Close(pointer h) noexcept { CloseFunction(h); }
};

using DbHandle = UniqueResource<NotesHandleTraits<NSFDbClose>>;
using NoteHandle = UniqueResource<NotesHandleTraits<NSFNoteClose>>;
using IdTableHandle = UniqueResource<NotesHandleTraits<IDDestroyTable>>;
// Memory the API hands out (converted text, formula results, compiled
// formulas): freed with OSMemFree.
using NotesMemory = UniqueResource<NotesHandleTraits<OSMemFree>>;

// A locked memory block, unlocked when the holder goes.
class LockedMemory {
public:
    explicit LockedMemory(DHANDLE handle) : handle_(handle), data_(handle ? OSLockObject(handle) : nullptr) {}
    ~LockedMemory()
    {
        if (data_ != nullptr) {
            OSUnlockObject(handle_);
        }
    }
    LockedMemory(const LockedMemory&) = delete;
    LockedMemory& operator=(const LockedMemory&) = delete;

    const char* get() const { return static_cast<const char*>(data_); }

private:
    DHANDLE handle_;
    void* data_;
};

} // namespace brw
