#include "handler/shell/ResultItem.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <limits>

namespace brw {
namespace {

// The allocator is asked for the data part only: the length word, the URL,
// its NUL and one unit of slack, as the item has always been sized.
std::size_t DataBytesFor(std::size_t length)
{
    return 2 * (length + 2) + 2;
}

WORD ReadWord(const BYTE* bytes, std::size_t offset)
{
    WORD value = 0;
    std::memcpy(&value, bytes + offset, sizeof(value));
    return value;
}

} // namespace

bool HasResultUrlPrefix(const wchar_t* text, std::size_t length)
{
    return text && length >= kResultUrlPrefixLength &&
           CompareStringOrdinal(text, int(kResultUrlPrefixLength), kResultUrlPrefix, int(kResultUrlPrefixLength),
                                TRUE) == CSTR_EQUAL;
}

bool ReadResultItem(PCUIDLIST_RELATIVE item, std::wstring* url)
{
    if (!item) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const BYTE*>(item);
    const std::size_t size = ReadWord(bytes, 0);
    if (size < kUrlOffset) {
        return false;
    }
    const std::size_t length = ReadWord(bytes, kUrlLengthOffset);
    if (kUrlOffset + 2 * (length + 1) > size || length < kResultUrlPrefixLength) {
        return false;
    }
    // Item IDs carry no alignment promise, so the text is copied out by bytes.
    std::wstring text(length + 1, L'\0');
    std::memcpy(&text[0], bytes + kUrlOffset, 2 * (length + 1));
    if (text[length] != L'\0' || !HasResultUrlPrefix(text.c_str(), length)) {
        return false;
    }
    text.resize(length);
    *url = std::move(text);
    return true;
}

HRESULT AllocateResultItem(IMalloc* allocator, const wchar_t* url, std::size_t length, PITEMID_CHILD* item)
{
    *item = nullptr;
    constexpr std::size_t kLargestItem = std::numeric_limits<WORD>::max();
    if (length > kLargestItem || kDelegateHeaderBytes + DataBytesFor(length) > kLargestItem) {
        return E_INVALIDARG;
    }
    auto* bytes = static_cast<BYTE*>(allocator->Alloc(DataBytesFor(length)));
    if (!bytes) {
        return E_FAIL;
    }
    const WORD lengthWord = static_cast<WORD>(length);
    std::memcpy(bytes + kUrlLengthOffset, &lengthWord, sizeof(lengthWord));
    std::memcpy(bytes + kUrlOffset, url, 2 * length);
    std::memset(bytes + kUrlOffset + 2 * length, 0, sizeof(wchar_t));
    *item = reinterpret_cast<PITEMID_CHILD>(bytes);
    return S_OK;
}

} // namespace brw
