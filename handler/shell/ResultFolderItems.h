// What both results folders do with a result item: name it, compare it, say
// what it is, hand out a stream of its content and its UI objects. Each
// operation reads the item through ReadResultItem first and treats anything
// it refuses as an item of another folder.
#pragma once
#include "handler/pipe/Requests.h"
#include "handler/protocol/BrwUrl.h"

#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>

namespace brw {

// How a folder names its items when the shell does not ask for parsing.
enum class ItemNaming {
    // The crawl root by the product's name, everything else by its URL.
    Friendly,
    UrlAlways,
};

constexpr wchar_t kRootDisplayName[] = L"Brimlow Search";
constexpr wchar_t kMessageItemType[] = L"BRW/Message";

HRESULT ParseResultName(IMalloc* allocator, const wchar_t* name, ULONG* eaten, PIDLIST_RELATIVE* item,
                        ULONG* attributes) noexcept;
HRESULT CompareResultItems(PCUIDLIST_RELATIVE first, PCUIDLIST_RELATIVE second) noexcept;
HRESULT ResultAttributes(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF* inOut) noexcept;
HRESULT ResultDisplayName(PCUITEMID_CHILD item, SHGDNF flags, ItemNaming naming, STRRET* name) noexcept;

// The path of the file the connector writes for a parsed result, asked for
// as request says with the result's attachment number. E_FAIL, with a line
// on the failure trail under component, when the exchange fails or the reply
// names no file under the request's folder. Throws std::bad_alloc.
HRESULT FetchResultFile(const ParsedBrwUrl& parsed, const DocumentRequest& request, const wchar_t* component,
                        std::wstring* path);

// A read stream on the body or the attachment the connector writes for the
// item, asked for as request says. *file receives the file's path.
HRESULT OpenResultStream(PCUIDLIST_RELATIVE item, REFIID riid, const DocumentRequest& request, void** ppv,
                         std::wstring* file) noexcept;

// The context menu, the folder's icon (icon) or the file associations of one
// result item.
HRESULT ResultUIObject(UINT count, PCUITEMID_CHILD_ARRAY items, REFIID riid, IExtractIconW* icon, void** ppv) noexcept;

// The path of the module this code is linked into, for the results' icon.
std::wstring ThisModulePath();

} // namespace brw
