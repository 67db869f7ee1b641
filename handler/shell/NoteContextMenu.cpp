#include "handler/shell/NoteContextMenu.h"

#include "common/FailureTrail.h"
#include "handler/protocol/BrwUrl.h"
#include "handler/protocol/ProcessUrl.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <strsafe.h>

#include <cstring>
#include <cwchar>
#include <new>

namespace brw {

struct MenuVerb {
    const wchar_t* menuText;
    const char* helpTextA;
    const wchar_t* helpTextW;
    const char* verbA;
    const wchar_t* verbW;
};

namespace {

constexpr MenuVerb kDocumentVerbs[] = {
    {L"Open", "Open the Document in IBM Lotus Notes", L"Open the Document in IBM Lotus Notes", "Open", L"Open"},
};
constexpr MenuVerb kAttachmentVerbs[] = {
    {L"Open Attachment", "Open the attachment", L"Open the attachment", "Openattachment", L"Openattachment"},
    {L"Open Message", "Open the message", L"Open the message", "Open", L"Open"},
};

// A verb given as text is one of ours or nothing: longer text is not read on.
constexpr std::size_t kLongestVerbText = 64;

// Copies text into the caller's buffer of cchMax characters, cut short and
// terminated when it does not fit.
template <typename Char>
HRESULT CopyCommandText(const Char* text, Char* out, UINT cchMax)
{
    if (cchMax == 0 || cchMax > STRSAFE_MAX_CCH) {
        return E_INVALIDARG;
    }
    const std::size_t length = std::char_traits<Char>::length(text);
    const std::size_t copied = length < cchMax ? length : cchMax - 1;
    std::char_traits<Char>::copy(out, text, copied);
    out[copied] = Char();
    return copied < length ? STRSAFE_E_INSUFFICIENT_BUFFER : S_OK;
}

bool IsOffset(const void* verb)
{
    return IS_INTRESOURCE(verb);
}

UINT_PTR OffsetOf(const void* verb)
{
    return reinterpret_cast<UINT_PTR>(verb);
}

int WINAPI OpenThroughProcessUrl(const wchar_t* verb, const wchar_t* url)
{
    return ProcessURL(verb, url);
}

} // namespace

CNoteContextMenu::CNoteContextMenu(UrlOpener opener)
    : opener_(opener ? opener : &OpenThroughProcessUrl), verbs_(kDocumentVerbs), verbCount_(ARRAYSIZE(kDocumentVerbs))
{
}

void CNoteContextMenu::SetUrl(const wchar_t* url)
{
    url_ = url ? url : L"";
    ParsedBrwUrl parsed;
    const bool attachment = ParseBrwUrl(url_.c_str(), &parsed) && parsed.kind == UrlKind::Attachment;
    verbs_ = attachment ? kAttachmentVerbs : kDocumentVerbs;
    verbCount_ = attachment ? ARRAYSIZE(kAttachmentVerbs) : ARRAYSIZE(kDocumentVerbs);
}

IFACEMETHODIMP CNoteContextMenu::QueryContextMenu(HMENU hmenu, UINT indexMenu, UINT idCmdFirst, UINT idCmdLast,
                                                  UINT uFlags)
{
    if (!hmenu || !IsMenu(hmenu)) {
        return E_INVALIDARG;
    }
    std::size_t wanted = (uFlags & CMF_DEFAULTONLY) ? 1 : verbCount_;
    // The shell gives us only the ids from idCmdFirst to idCmdLast.
    const std::size_t room = idCmdLast < idCmdFirst ? 0 : std::size_t(idCmdLast) - idCmdFirst + 1;
    if (wanted > room) {
        wanted = room;
    }
    UINT added = 0;
    for (; added < wanted; ++added) {
        MENUITEMINFOW item = {};
        item.cbSize = sizeof(item);
        item.fMask = MIIM_STATE | MIIM_ID | MIIM_STRING;
        item.fState = added == 0 ? MFS_DEFAULT : 0;
        item.wID = idCmdFirst + added;
        item.dwTypeData = const_cast<wchar_t*>(verbs_[added].menuText);
        if (!InsertMenuItemW(hmenu, indexMenu + added, TRUE, &item)) {
            TraceWin32Failure(L"Context menu", L"insert item", GetLastError());
            break;
        }
    }
    return MAKE_HRESULT(SEVERITY_SUCCESS, 0, added);
}

bool CNoteContextMenu::CommandOfVerbText(const wchar_t* verb, std::size_t* command) const
{
    if (wcsnlen(verb, kLongestVerbText + 1) > kLongestVerbText) {
        return false;
    }
    for (std::size_t i = 0; i < verbCount_; ++i) {
        if (StrCmpIW(verb, verbs_[i].verbW) == 0) {
            *command = i;
            return true;
        }
    }
    return false;
}

bool CNoteContextMenu::CommandOfVerbText(const char* verb, std::size_t* command) const
{
    if (strnlen(verb, kLongestVerbText + 1) > kLongestVerbText) {
        return false;
    }
    for (std::size_t i = 0; i < verbCount_; ++i) {
        if (StrCmpIA(verb, verbs_[i].verbA) == 0) {
            *command = i;
            return true;
        }
    }
    return false;
}

bool CNoteContextMenu::CommandOf(const CMINVOKECOMMANDINFO& info, std::size_t* command) const
{
    const bool unicode = info.cbSize >= sizeof(CMINVOKECOMMANDINFOEX) && (info.fMask & CMIC_MASK_UNICODE);
    if (unicode) {
        const auto& extended = reinterpret_cast<const CMINVOKECOMMANDINFOEX&>(info);
        if (extended.lpVerbW && !IsOffset(extended.lpVerbW)) {
            return CommandOfVerbText(extended.lpVerbW, command);
        }
    }
    if (!IsOffset(info.lpVerb)) {
        return CommandOfVerbText(info.lpVerb, command);
    }
    *command = OffsetOf(info.lpVerb);
    return *command < verbCount_;
}

IFACEMETHODIMP CNoteContextMenu::InvokeCommand(CMINVOKECOMMANDINFO* pici)
{
    if (!pici || pici->cbSize < sizeof(CMINVOKECOMMANDINFO)) {
        return E_INVALIDARG;
    }
    try {
        std::size_t command = 0;
        if (!CommandOf(*pici, &command)) {
            return E_INVALIDARG;
        }
        // What ProcessURL makes of it is its own to report (a message box);
        // the menu has done its part once the open is on its way.
        const HRESULT hr = OpenOnWorkerThread(opener_, verbs_[command].verbW, url_);
        return FAILED(hr) ? hr : S_OK;
    } catch (const std::bad_alloc&) {
        TraceFailure(L"Context menu", L"invoke", E_OUTOFMEMORY);
        return E_OUTOFMEMORY;
    }
}

IFACEMETHODIMP CNoteContextMenu::GetCommandString(UINT_PTR idCmd, UINT uType, UINT*, CHAR* pszName, UINT cchMax)
{
    if (idCmd >= verbCount_) {
        return E_INVALIDARG;
    }
    const MenuVerb& verb = verbs_[idCmd];
    if (uType != GCS_VERBA && uType != GCS_HELPTEXTA && uType != GCS_VERBW && uType != GCS_HELPTEXTW) {
        return S_OK; // GCS_VALIDATE and the like: the command exists
    }
    if (!pszName) {
        return E_POINTER;
    }
    switch (uType) {
    case GCS_VERBA:
        return CopyCommandText(verb.verbA, pszName, cchMax);
    case GCS_HELPTEXTA:
        return CopyCommandText(verb.helpTextA, pszName, cchMax);
    case GCS_VERBW:
        return CopyCommandText(verb.verbW, reinterpret_cast<wchar_t*>(pszName), cchMax);
    default:
        return CopyCommandText(verb.helpTextW, reinterpret_cast<wchar_t*>(pszName), cchMax);
    }
}

HRESULT CNoteContextMenu::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(CNoteContextMenu, IContextMenu),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

HRESULT CreateNoteContextMenu(const wchar_t* url, REFIID riid, void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    CNoteContextMenu* menu = ConstructOrNull<CNoteContextMenu>();
    if (!menu) {
        return E_OUTOFMEMORY;
    }
    try {
        menu->SetUrl(url);
    } catch (const std::bad_alloc&) {
        menu->InnerUnknown()->Release();
        return E_OUTOFMEMORY;
    }
    return InitializeAndQuery(menu, riid, ppv);
}

} // namespace brw
