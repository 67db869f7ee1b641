// Result items as the shell hands them to the folders: made by a delegate
// allocator that writes its own header, or laid out by hand to be foreign,
// cut short or lying about their length. Every item ends at a page boundary
// with an inaccessible page after it, so a read past the item's end faults.
#pragma once
#include "common/ComObject.h"

#include <windows.h>
#include <objidl.h>
#include <shtypes.h>

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace brwtest {

// Bytes placed so that the last one is the last of a readable page.
class GuardedBytes {
public:
    explicit GuardedBytes(const std::vector<BYTE>& bytes);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;

    BYTE* get() const { return data_; }
    PCUITEMID_CHILD item() const { return reinterpret_cast<PCUITEMID_CHILD>(data_); }

private:
    void* region_ = nullptr;
    BYTE* data_ = nullptr;
};

// The delegate header's outer word, to tell our allocator's items apart.
constexpr WORD kOuterMarker = 0xBEEF;

// The bytes of an item: the delegate header for the whole size, the length
// word and the text as given (no NUL unless the text holds one).
std::vector<BYTE> ItemBytes(WORD size, WORD length, const std::wstring& text);
// A well-formed result item for url.
std::vector<BYTE> ResultItemBytes(const std::wstring& url);

// A delegate allocator like the shell's: Alloc(cb) gives an item whose
// header (size, outer word, cbInner) is written, followed by cb bytes for the
// folder and a terminating zero size; each block is guarded.
class TestItemAllocator final : public brw::ComObject<IMalloc> {
public:
    TestItemAllocator() noexcept = default;

    bool failAllocations = false;
    std::size_t lastRequest = 0;
    int liveBlocks() const { return int(blocks_.size()); }

    IFACEMETHODIMP_(void*) Alloc(SIZE_T cb) override;
    IFACEMETHODIMP_(void*) Realloc(void* pv, SIZE_T cb) override;
    IFACEMETHODIMP_(void) Free(void* pv) override;
    IFACEMETHODIMP_(SIZE_T) GetSize(void* pv) override;
    IFACEMETHODIMP_(int) DidAlloc(void* pv) override;
    IFACEMETHODIMP_(void) HeapMinimize() override {}

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~TestItemAllocator() override = default;
    std::vector<std::unique_ptr<GuardedBytes>> blocks_;
};

} // namespace brwtest
