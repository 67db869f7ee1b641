#include "monitor32/IndexChangeMonitor.h"

#include "common/DebugConsole.h"
#include "common/WideString.h"
#include "connector/SettingsStore.h"

#include <shlwapi.h>

#include <optional>
#include <string>

namespace brw {
namespace {

// Longest IndexGUID text taken; a GUID in registry form needs 38.
constexpr size_t kStoredGuidLimit = 63;

// The committed reset signature of an earlier process; the null GUID when
// there is none or it is not a GUID in braces.
GUID StoredResetSignature()
{
    const std::optional<std::wstring> text =
        settings::ReadString(HKEY_CURRENT_USER, kSettingsKeyPath, settings::kIndexGuid, kStoredGuidLimit);
    GUID stored{};
    if (!text || text->empty() || (*text)[0] != L'{' || FAILED(CLSIDFromString(text->c_str(), &stored))) {
        return GUID{};
    }
    return stored;
}

void StoreResetSignature(const GUID& signature)
{
    const RegKey key = settings::CreateMainKey();
    if (key) {
        settings::WriteString(key.get(), settings::kIndexGuid, GuidToString(signature));
    }
}

} // namespace

HRESULT CIndexChangeMonitor::Initialize() noexcept
{
    try {
        const GUID stored = StoredResetSignature();
        if (IsEqualGUID(stored, GUID_NULL)) {
            return query_(&committed_);
        }
        committed_.resetSignature = stored;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

IFACEMETHODIMP CIndexChangeMonitor::HasIndexBeenReset()
{
    // A catalogue that cannot be asked is not a reset: answering S_OK would
    // send every database through a full pass each time the service is down.
    if (FAILED(query_(&observed_))) {
        return S_FALSE;
    }
    return IsEqualGUID(observed_.resetSignature, committed_.resetSignature) ? S_FALSE : S_OK;
}

IFACEMETHODIMP CIndexChangeMonitor::Commit()
{
    CatalogueIdentity fresh;
    const HRESULT hr = query_(&fresh);
    if (FAILED(hr)) {
        return hr;
    }
    if (!IsEqualGUID(fresh.resetSignature, observed_.resetSignature)) {
        return S_FALSE;
    }
    committed_ = observed_;
    try {
        StoreResetSignature(committed_.resetSignature);
    } catch (const std::bad_alloc&) {
        // The signature stays committed in this object; the next process
        // takes the catalogue as it finds it.
    }
    return hr;
}

HRESULT CIndexChangeMonitor::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(CIndexChangeMonitor, IIndexChangeMonitor),
        QITABENT(CIndexChangeMonitor, ISearchNotifyInlineSite),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
