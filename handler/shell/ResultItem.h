// The item ID of one search result. The shell's delegate allocator owns the
// first six bytes (the item's size and the outer folder's words); ours
// follow: the URL's length n in UTF-16 units, then the URL and a NUL.
//
//   offset 0  6 bytes          delegate header, written by the allocator
//   offset 6  16-bit unsigned  n
//   offset 8  2 * (n + 1)      the URL, NUL-terminated
//
// Items reach us from the shell, from other folders and from saved ID lists,
// so every one is read only through ReadResultItem, which checks that the
// item's own size covers every byte it is about to read.
#pragma once
#include <windows.h>
#include <objidl.h>
#include <shtypes.h>

#include <cstddef>
#include <string>

namespace brw {

constexpr std::size_t kDelegateHeaderBytes = 6;
constexpr std::size_t kUrlLengthOffset = 6;
constexpr std::size_t kUrlOffset = 8;
constexpr wchar_t kResultUrlPrefix[] = L"brw:";
constexpr std::size_t kResultUrlPrefixLength = 4;

// True when text (of length units) begins with "brw:" in any letter case.
bool HasResultUrlPrefix(const wchar_t* text, std::size_t length);

// The URL of a result item; false, with url untouched, for a null item, an
// item of another folder, or one whose size does not hold what it claims.
// Only the first item of the list is read. Throws std::bad_alloc.
bool ReadResultItem(PCUIDLIST_RELATIVE item, std::wstring* url);

// A new item for url made by the delegate allocator: E_INVALIDARG for a URL
// too long for the item's 16-bit sizes, E_FAIL when the allocator gives
// nothing, else S_OK with the item in *item (freed by the allocator's owner).
HRESULT AllocateResultItem(IMalloc* allocator, const wchar_t* url, std::size_t length, PITEMID_CHILD* item);

} // namespace brw
