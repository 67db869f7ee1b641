#include "handler/shell/ResultFolderItems.h"

#include "common/ComHolders.h"
#include "common/FailureTrail.h"
#include "common/ModulePath.h"
#include "handler/pipe/PipeReply.h"
#include "handler/protocol/BrwUrl.h"
#include "handler/protocol/OpenResult.h"
#include "handler/shell/NoteContextMenu.h"
#include "handler/shell/ResultItem.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cwchar>
#include <new>

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"Results folder";

// A success code whose code field carries the comparison as 16 bits, as
// CompareIDs answers.
HRESULT ComparisonResult(int order)
{
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, static_cast<WORD>(static_cast<short>(order)));
}

HRESULT FileAssociationsFor(const std::wstring& url, REFIID riid, void** ppv)
{
    ParsedBrwUrl parsed;
    std::wstring key = kMessageItemType;
    if (ParseBrwUrl(url.c_str(), &parsed) && parsed.kind == UrlKind::Attachment) {
        key = L"." + parsed.extension;
    }
    ComPtr<IQueryAssociations> associations;
    HRESULT hr = AssocCreate(CLSID_QueryAssociations, IID_IQueryAssociations, associations.put_void());
    if (SUCCEEDED(hr)) {
        hr = associations->Init(0, key.c_str(), nullptr, nullptr);
    }
    if (SUCCEEDED(hr)) {
        hr = associations->QueryInterface(riid, ppv);
    }
    return hr;
}

} // namespace

HRESULT ParseResultName(IMalloc* allocator, const wchar_t* name, ULONG* eaten, PIDLIST_RELATIVE* item,
                        ULONG* attributes) noexcept
{
    if (!allocator) {
        return E_FAIL;
    }
    if (!name || !item) {
        return E_POINTER;
    }
    *item = nullptr;
    // Longer than any item could hold: refused before it is measured further.
    const std::size_t length = wcsnlen(name, 0x10000);
    if (!HasResultUrlPrefix(name, length)) {
        return E_FAIL;
    }
    PITEMID_CHILD child = nullptr;
    const HRESULT hr = AllocateResultItem(allocator, name, length, &child);
    if (FAILED(hr)) {
        return hr;
    }
    *item = reinterpret_cast<PIDLIST_RELATIVE>(child);
    if (eaten) {
        *eaten = static_cast<ULONG>(length);
    }
    if (attributes) {
        *attributes = 0;
    }
    return S_OK;
}

HRESULT CompareResultItems(PCUIDLIST_RELATIVE first, PCUIDLIST_RELATIVE second) noexcept
{
    if (!first || !second) {
        return E_POINTER;
    }
    try {
        std::wstring a;
        std::wstring b;
        if (!ReadResultItem(first, &a) || !ReadResultItem(second, &b)) {
            return ComparisonResult(1);
        }
        const int order = CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE);
        return ComparisonResult(order - CSTR_EQUAL);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ResultAttributes(UINT count, PCUITEMID_CHILD_ARRAY items, SFGAOF* inOut) noexcept
{
    if (!items || !inOut) {
        return E_POINTER;
    }
    try {
        std::wstring url;
        if (count == 0 || !ReadResultItem(items[0], &url)) {
            return E_FAIL;
        }
        if (count != 1) {
            return S_OK;
        }
        ParsedBrwUrl parsed;
        const bool parses = ParseBrwUrl(url.c_str(), &parsed);
        const SFGAOF asked = *inOut;
        SFGAOF answer = asked & (SFGAO_NONENUMERATED | SFGAO_READONLY);
        const bool hasContent = parses && (parsed.kind == UrlKind::Document || parsed.kind == UrlKind::MessageBody ||
                                           parsed.kind == UrlKind::Attachment);
        if (hasContent) {
            answer |= asked & SFGAO_STREAM;
        }
        if (parses && parsed.kind == UrlKind::Root) {
            answer |= (asked & SFGAO_FOLDER) | (asked & SFGAO_HASSUBFOLDER);
        }
        *inOut = answer;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ResultDisplayName(PCUITEMID_CHILD item, SHGDNF flags, ItemNaming naming, STRRET* name) noexcept
{
    if (!name) {
        return E_POINTER;
    }
    try {
        std::wstring url;
        if (!ReadResultItem(item, &url)) {
            return E_INVALIDARG;
        }
        const wchar_t* shown = url.c_str();
        ParsedBrwUrl parsed;
        if (naming == ItemNaming::Friendly && !(flags & SHGDN_FORPARSING) && ParseBrwUrl(shown, &parsed) &&
            parsed.kind == UrlKind::Root) {
            shown = kRootDisplayName;
        }
        name->uType = STRRET_WSTR;
        return SHStrDupW(shown, &name->pOleStr);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT FetchResultFile(const ParsedBrwUrl& parsed, const DocumentRequest& request, const wchar_t* component,
                        std::wstring* path)
{
    DocumentRequest what = request;
    what.attachmentNumber = parsed.attachmentNumber;
    PipeReply reply;
    const HRESULT fetched = RequestDocument(&reply, parsed.databasePath, parsed.noteId, what);
    const wchar_t* element = parsed.attachmentNumber == 0 ? kBodyFileElement : kAttachmentFileElement;
    if (FAILED(fetched) || !ReplyFileUnder(reply, element, RequestTemporaryDirectory(), path)) {
        TraceFailure(component, L"fetch the result's file", FAILED(fetched) ? fetched : E_FAIL);
        return E_FAIL;
    }
    return S_OK;
}

HRESULT OpenResultStream(PCUIDLIST_RELATIVE item, REFIID riid, const DocumentRequest& request, void** ppv,
                         std::wstring* file) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (!IsEqualIID(riid, IID_IStream)) {
        return E_NOINTERFACE;
    }
    try {
        std::wstring url;
        ParsedBrwUrl parsed;
        if (!ReadResultItem(item, &url) || !ParseBrwUrl(url.c_str(), &parsed)) {
            return E_FAIL;
        }
        std::wstring path;
        const HRESULT fetched = FetchResultFile(parsed, request, kComponent, &path);
        if (FAILED(fetched)) {
            return fetched;
        }
        *file = path;
        return SHCreateStreamOnFileEx(path.c_str(), STGM_READ, 0, FALSE, nullptr, reinterpret_cast<IStream**>(ppv));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT ResultUIObject(UINT count, PCUITEMID_CHILD_ARRAY items, REFIID riid, IExtractIconW* icon, void** ppv) noexcept
{
    if (!items || !ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    if (count > 1) {
        return E_INVALIDARG;
    }
    try {
        std::wstring url;
        if (count == 0 || !ReadResultItem(items[0], &url)) {
            return E_FAIL;
        }
        if (IsEqualIID(riid, IID_IContextMenu)) {
            return CreateNoteContextMenu(url.c_str(), riid, ppv);
        }
        if (IsEqualIID(riid, IID_IExtractIconW) && icon) {
            return icon->QueryInterface(riid, ppv);
        }
        if (IsEqualIID(riid, IID_IQueryAssociations)) {
            return FileAssociationsFor(url, riid, ppv);
        }
        return E_NOINTERFACE;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

std::wstring ThisModulePath()
{
    const HMODULE module = ThisCodeModule();
    return module != nullptr ? ModuleFilePath(module) : std::wstring();
}

} // namespace brw
