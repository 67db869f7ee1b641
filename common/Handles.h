// Owning holders for kernel handles, registry keys and process-heap blocks.
// Each holder has exactly one owner: it moves, it never copies, and it closes
// what it holds when it goes out of scope or is reset.
#pragma once

#include <windows.h>

#include <cstddef>

namespace brw {

// Traits say what "nothing held" looks like and how to let go of a value:
//   using pointer = ...;  static pointer Invalid();
//   static bool IsValid(pointer);  static void Close(pointer);
template <typename Traits>
class UniqueResource {
public:
    using pointer = typename Traits::pointer;

    UniqueResource() noexcept = default;
    explicit UniqueResource(pointer value) noexcept : value_(value) {}
    ~UniqueResource() { reset(); }

    UniqueResource(UniqueResource&& other) noexcept : value_(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return Traits::IsValid(value_); }

    // Gives up ownership without closing; the caller now owns the value.
    pointer release() noexcept
    {
        pointer value = value_;
        value_ = Traits::Invalid();
        return value;
    }

    void reset(pointer value = Traits::Invalid()) noexcept
    {
        pointer old = value_;
        value_ = value;
        if (Traits::IsValid(old)) {
            Traits::Close(old);
        }
    }

    // For out-parameters: closes what is held and lends the slot to the API.
    pointer* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::Invalid();
};

// Events, mutexes, semaphores, processes, threads: failure is NULL. The
// current-process pseudo handle (-1) is valid here and closing it is harmless.
struct KernelHandleTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer h) noexcept { return h != nullptr; }
    static void Close(pointer h) noexcept { CloseHandle(h); }
};

// Files, pipes, snapshots: failure is INVALID_HANDLE_VALUE. NULL is never a
// file handle, so it is not closed either.
struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer Invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static bool IsValid(pointer h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(pointer h) noexcept { CloseHandle(h); }
};

// The predefined roots are shared by the whole process; closing one would
// pull it away from every other user, so a holder given a root keeps it open.
bool IsPredefinedRegistryKey(HKEY key) noexcept;

struct RegKeyTraits {
    using pointer = HKEY;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer key) noexcept { return key != nullptr; }
    static void Close(pointer key) noexcept
    {
        if (!IsPredefinedRegistryKey(key)) {
            RegCloseKey(key);
        }
    }
};

template <typename T>
struct HeapBlockTraits {
    using pointer = T*;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer p) noexcept { return p != nullptr; }
    static void Close(pointer p) noexcept { HeapFree(GetProcessHeap(), 0, p); }
};

// Blocks the system hands out from LocalAlloc (ConvertSidToStringSidW,
// CommandLineToArgvW, FormatMessageW): freed with LocalFree.
template <typename T>
struct LocalBlockTraits {
    using pointer = T*;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer p) noexcept { return p != nullptr; }
    static void Close(pointer p) noexcept { LocalFree(p); }
};

// Loaded libraries: failure is NULL.
struct ModuleHandleTraits {
    using pointer = HMODULE;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer m) noexcept { return m != nullptr; }
    static void Close(pointer m) noexcept { FreeLibrary(m); }
};

using KernelHandle = UniqueResource<KernelHandleTraits>;
using ModuleHandle = UniqueResource<ModuleHandleTraits>;
using FileHandle = UniqueResource<FileHandleTraits>;
using RegKey = UniqueResource<RegKeyTraits>;
template <typename T>
using HeapBlock = UniqueResource<HeapBlockTraits<T>>;
template <typename T>
using LocalBlock = UniqueResource<LocalBlockTraits<T>>;

// Allocates bytes (not elements) from the process heap, zero-filled, so a
// block that is only partly written never shows stale heap contents. An
// empty holder means the allocation failed.
template <typename T = void>
HeapBlock<T> AllocateHeapBlock(std::size_t bytes) noexcept
{
    return HeapBlock<T>(static_cast<T*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes)));
}

} // namespace brw
