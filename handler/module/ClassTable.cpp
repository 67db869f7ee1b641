#include "handler/module/ClassTable.h"

#include "common/ComObject.h"
#include "common/Registrar.h"
#include "common/WideString.h"
#include "handler/filters/DBIFilter.h"
#include "handler/filters/NoteAttachmentIFilter.h"
#include "handler/filters/NoteIFilter.h"
#include "handler/filters/NotesIFilter.h"
#include "handler/module/CrawlRoots.h"
#include "handler/module/IndexNotifier.h"
#include "handler/module/ModuleScripts.h"
#include "handler/protocol/NSFProtocol.h"
#include "handler/protocol/NSFUrlAccessor.h"
#include "handler/shell/NoteContextMenu.h"
#include "handler/shell/PreviewShellView.h"
#include "handler/shell/SearchResult.h"
#include "handler/shell/SearchResultsShell.h"

#include <new>

namespace brw {

const ClassEntry kHandlerClasses[] = {
    {&kDBIFilterClsid, &CreateInstance<CDBIFilter>},
    {&kSearchResultClsid, &CreateInstance<CSearchResult>},
    {&kBRWPreviewShellViewClsid, &CreateInstance<CBRWPreviewShellView>},
    {&kIndexNotifierClsid, &CreateInstance<CIndexNotifier>},
    {&kNoteAttachmentIFilterClsid, &CreateInstance<CNoteAttachmentIFilter>},
    {&kNoteContextMenuClsid, &CreateInstance<CNoteContextMenu>},
    {&kNoteIFilterClsid, &CreateInstance<CNoteIFilter>},
    {&kNotesIFilterClsid, &CreateInstance<CNotesIFilter>},
    {&kNSFProtocolClsid, &CreateAggregatableInstance<CNSFProtocol>},
    {&kNSFUrlAccessorClsid, &CreateAggregatableInstance<CNSFUrlAccessor>},
    {&kSearchResultsShellClsid, &CreateInstance<CSearchResultsShell>},
};
const std::size_t kHandlerClassCount = ARRAYSIZE(kHandlerClasses);

bool ClassScriptFor(const CLSID& clsid, RegistryScript* script)
{
    if (IsEqualCLSID(clsid, kBRWPreviewShellViewClsid)) {
        *script = PreviewShellViewScript();
        return true;
    }
    if (IsEqualCLSID(clsid, kIndexNotifierClsid)) {
        *script = IndexNotifierScript();
        return true;
    }
    if (IsEqualCLSID(clsid, kNoteContextMenuClsid)) {
        *script = NoteContextMenuScript();
        return true;
    }
    if (IsEqualCLSID(clsid, kSearchResultClsid)) {
        *script = SearchResultScript();
        return true;
    }
    if (IsEqualCLSID(clsid, kSearchResultsShellClsid)) {
        *script = SearchResultsShellScript();
        return true;
    }
    return false;
}

namespace {

Registrar ModuleRegistrar(const wchar_t* modulePath)
{
    return Registrar(RegistrationScope::Machine,
                     Replacements{{L"MODULE", modulePath}, {L"APPID", GuidToString(kHandlerApplicationId)}});
}

HRESULT RegisterClassScripts(const Registrar& registrar)
{
    for (std::size_t i = 0; i < kHandlerClassCount; ++i) {
        RegistryScript script;
        if (ClassScriptFor(*kHandlerClasses[i].clsid, &script)) {
            const HRESULT hr = registrar.Register(script);
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}

HRESULT UnregisterClassScripts(const Registrar& registrar)
{
    for (std::size_t i = 0; i < kHandlerClassCount; ++i) {
        RegistryScript script;
        if (ClassScriptFor(*kHandlerClasses[i].clsid, &script)) {
            const HRESULT hr = registrar.Unregister(script);
            if (FAILED(hr)) {
                return hr;
            }
        }
    }
    return S_OK;
}

} // namespace

HRESULT RegisterHandlerModule(const wchar_t* modulePath) noexcept
{
    if (!modulePath || !*modulePath) {
        return E_INVALIDARG;
    }
    HRESULT hr = S_OK;
    try {
        const Registrar registrar = ModuleRegistrar(modulePath);
        hr = registrar.Register(ModuleScript());
        if (SUCCEEDED(hr)) {
            hr = RegisterClassScripts(registrar);
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr)) {
        RemoveOldCrawlRoots();
    }
    return hr;
}

HRESULT UnregisterHandlerModule(const wchar_t* modulePath) noexcept
{
    if (!modulePath || !*modulePath) {
        return E_INVALIDARG;
    }
    HRESULT hr = S_OK;
    try {
        const Registrar registrar = ModuleRegistrar(modulePath);
        hr = UnregisterClassScripts(registrar);
        if (SUCCEEDED(hr)) {
            hr = registrar.Unregister(ModuleScript());
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    if (SUCCEEDED(hr)) {
        RemoveOldCrawlRoots();
    }
    return hr;
}

} // namespace brw
