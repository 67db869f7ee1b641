#include "handler/tests/ShellItemSupport.h"

#include <shlwapi.h>

#include <algorithm>
#include <cstring>

namespace brwtest {
namespace {

std::size_t PageSize()
{
    SYSTEM_INFO info = {};
    GetSystemInfo(&info);
    return info.dwPageSize;
}

void PutWord(std::vector<BYTE>* bytes, std::size_t offset, WORD value)
{
    std::memcpy(bytes->data() + offset, &value, sizeof(value));
}

} // namespace

GuardedBytes::GuardedBytes(const std::vector<BYTE>& bytes)
{
    const std::size_t page = PageSize();
    const std::size_t readable = (bytes.size() + page - 1) / page * page + (bytes.empty() ? page : 0);
    region_ = VirtualAlloc(nullptr, readable + page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!region_) {
        return;
    }
    DWORD old = 0;
    VirtualProtect(static_cast<BYTE*>(region_) + readable, page, PAGE_NOACCESS, &old);
    data_ = static_cast<BYTE*>(region_) + readable - bytes.size();
    std::copy(bytes.begin(), bytes.end(), data_);
}

GuardedBytes::~GuardedBytes()
{
    if (region_) {
        VirtualFree(region_, 0, MEM_RELEASE);
    }
}

std::vector<BYTE> ItemBytes(WORD size, WORD length, const std::wstring& text)
{
    std::vector<BYTE> bytes(std::max<std::size_t>(8 + text.size() * 2, 8));
    PutWord(&bytes, 0, size);
    PutWord(&bytes, 2, kOuterMarker);
    PutWord(&bytes, 4, WORD(size > 6 ? size - 6 : 0));
    PutWord(&bytes, 6, length);
    std::memcpy(bytes.data() + 8, text.data(), text.size() * 2);
    bytes.resize(size); // the item is exactly as long as it says
    return bytes;
}

std::vector<BYTE> ResultItemBytes(const std::wstring& url)
{
    const std::wstring text = url + L'\0';
    return ItemBytes(WORD(8 + text.size() * 2), WORD(url.size()), text);
}

IFACEMETHODIMP_(void*) TestItemAllocator::Alloc(SIZE_T cb)
{
    lastRequest = cb;
    if (failAllocations || cb > 0xFFFF - 6) {
        return nullptr;
    }
    std::vector<BYTE> bytes(6 + cb + 2, 0xCC);
    PutWord(&bytes, 0, WORD(6 + cb));
    PutWord(&bytes, 2, kOuterMarker);
    PutWord(&bytes, 4, WORD(cb));
    PutWord(&bytes, 6 + cb, 0);
    blocks_.push_back(std::make_unique<GuardedBytes>(bytes));
    return blocks_.back()->get();
}

IFACEMETHODIMP_(void*) TestItemAllocator::Realloc(void*, SIZE_T)
{
    return nullptr;
}

IFACEMETHODIMP_(void) TestItemAllocator::Free(void* pv)
{
    auto found = std::find_if(blocks_.begin(), blocks_.end(), [pv](const auto& b) { return b->get() == pv; });
    if (found != blocks_.end()) {
        blocks_.erase(found);
    }
}

IFACEMETHODIMP_(SIZE_T) TestItemAllocator::GetSize(void*)
{
    return SIZE_T(-1);
}

IFACEMETHODIMP_(int) TestItemAllocator::DidAlloc(void* pv)
{
    return std::any_of(blocks_.begin(), blocks_.end(), [pv](const auto& b) { return b->get() == pv; }) ? 1 : 0;
}

HRESULT TestItemAllocator::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(TestItemAllocator, IMalloc),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brwtest
