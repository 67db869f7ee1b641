// The catalogue manager of "SystemIndex".
#include "common/ComObject.h"
#include "common/WideString.h"
#include "platform/winsearch/core/Catalogue.h"
#include "platform/winsearch/core/SharedState.h"
#include "platform/winsearch/core/StateLock.h"
#include "platform/winsearch/service/ServiceObjects.h"

#include <shlwapi.h>

#include <mutex>

namespace brw::winsearch {

namespace {

class CatalogManager final : public ComObject<ISearchCatalogManager> {
public:
    explicit CatalogManager(std::wstring folder) : folder_(std::move(folder)) {}

    IFACEMETHODIMP get_Name(LPWSTR* name) override { return DuplicateCoTaskMemString(kCatalogName, name); }
    IFACEMETHODIMP GetParameter(LPCWSTR, PROPVARIANT** value) override { return NotImplemented(value); }
    IFACEMETHODIMP SetParameter(LPCWSTR, PROPVARIANT*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetCatalogStatus(CatalogStatus* status, CatalogPausedReason* reason) override
    {
        if (!status || !reason) {
            return E_POINTER;
        }
        LONG normal = 0;
        LONG high = 0;
        const HRESULT hr = CountQueued(&normal, &high);
        *status = (SUCCEEDED(hr) && normal + high > 0) ? CATALOG_STATUS_PROCESSING_NOTIFICATIONS : CATALOG_STATUS_IDLE;
        *reason = CATALOG_PAUSED_REASON_NONE;
        return hr;
    }
    IFACEMETHODIMP Reset() override
    {
        StateLock lock(folder_);
        if (FAILED(lock.Status())) {
            return lock.Status();
        }
        CatalogueIdentity identity;
        HRESULT hr = LoadIdentity(folder_, &identity);
        if (FAILED(hr)) {
            return hr;
        }
        const std::wstring oldFile = CatalogueFilePath(folder_, identity.resetSignature);
        const std::wstring oldSnapshot = SnapshotFilePath(folder_, identity.resetSignature);
        hr = CoCreateGuid(&identity.resetSignature);
        if (SUCCEEDED(hr)) {
            hr = SaveIdentity(folder_, identity);
        }
        if (SUCCEEDED(hr)) {
            // The new signature names a new, empty catalogue file; a host
            // still writing the old one moves over when it next looks.
            DeleteFileW(oldFile.c_str());
            DeleteFileW(oldSnapshot.c_str());
            SignalWork(folder_);
        }
        return hr;
    }
    IFACEMETHODIMP Reindex() override { return E_NOTIMPL; }
    IFACEMETHODIMP ReindexMatchingURLs(LPCWSTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP ReindexSearchRoot(LPCWSTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP put_ConnectTimeout(DWORD) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_ConnectTimeout(DWORD*) override { return E_NOTIMPL; }
    IFACEMETHODIMP put_DataTimeout(DWORD) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_DataTimeout(DWORD*) override { return E_NOTIMPL; }
    IFACEMETHODIMP NumberOfItems(LONG* count) override
    {
        if (!count) {
            return E_POINTER;
        }
        *count = 0;
        CatalogueIdentity identity;
        HRESULT hr = Identity(&identity);
        if (FAILED(hr)) {
            return hr;
        }
        size_t items = 0;
        {
            // A caller that watches the count asks the same object again and
            // again; each time reads only what was added since.
            std::lock_guard<std::mutex> hold(counterLock_);
            hr = counter_.Count(CatalogueFilePath(folder_, identity.resetSignature), &items);
        }
        if (SUCCEEDED(hr)) {
            *count = static_cast<LONG>(items);
        }
        return FAILED(hr) ? hr : S_OK;
    }
    IFACEMETHODIMP NumberOfItemsToIndex(LONG* incremental, LONG* notifications, LONG* highPriority) override
    {
        if (!incremental || !notifications || !highPriority) {
            return E_POINTER;
        }
        *incremental = 0;
        return CountQueued(notifications, highPriority);
    }
    IFACEMETHODIMP URLBeingIndexed(LPWSTR* url) override { return NotImplemented(url); }
    IFACEMETHODIMP GetURLIndexingState(LPCWSTR, DWORD*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetPersistentItemsChangedSink(ISearchPersistentItemsChangedSink** sink) override
    {
        return NotImplemented(sink);
    }
    IFACEMETHODIMP RegisterViewForNotification(LPCWSTR, ISearchViewChangedSink*, DWORD*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetItemsChangedSink(ISearchNotifyInlineSite* site, REFIID riid, void** ppv, GUID* resetSignature,
                                       GUID* checkpointSignature, DWORD* lastCheckpointNumber) override
    {
        if (!ppv) {
            return E_POINTER;
        }
        *ppv = nullptr;
        if (!IsEqualIID(riid, IID_ISearchItemsChangedSink)) {
            return E_NOINTERFACE;
        }
        CatalogueIdentity identity;
        const HRESULT hr = Identity(&identity);
        if (FAILED(hr)) {
            return hr;
        }
        if (resetSignature) {
            *resetSignature = identity.resetSignature;
        }
        if (checkpointSignature) {
            *checkpointSignature = identity.checkpointSignature;
        }
        if (lastCheckpointNumber) {
            *lastCheckpointNumber = identity.lastCheckpointNumber;
        }
        return CreateItemsChangedSink(folder_, site, riid, ppv);
    }
    IFACEMETHODIMP UnregisterViewForNotification(DWORD) override { return E_NOTIMPL; }
    IFACEMETHODIMP SetExtensionClusion(LPCWSTR, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP EnumerateExcludedExtensions(IEnumString** extensions) override { return NotImplemented(extensions); }
    IFACEMETHODIMP GetQueryHelper(ISearchQueryHelper** helper) override { return NotImplemented(helper); }
    IFACEMETHODIMP put_DiacriticSensitivity(BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP get_DiacriticSensitivity(BOOL*) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetCrawlScopeManager(ISearchCrawlScopeManager** manager) override
    {
        if (!manager) {
            return E_POINTER;
        }
        *manager = nullptr;
        return CreateCrawlScopeManager(folder_, manager);
    }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(CatalogManager, ISearchCatalogManager), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    template <typename T>
    static HRESULT NotImplemented(T** out)
    {
        if (out) {
            *out = nullptr;
        }
        return E_NOTIMPL;
    }

    HRESULT Identity(CatalogueIdentity* identity) const
    {
        StateLock lock(folder_);
        return FAILED(lock.Status()) ? lock.Status() : LoadIdentity(folder_, identity);
    }

    HRESULT CountQueued(LONG* normal, LONG* high) const
    {
        *normal = 0;
        *high = 0;
        StateLock lock(folder_);
        return FAILED(lock.Status()) ? lock.Status() : CountChanges(folder_, normal, high);
    }

    std::wstring folder_;
    std::mutex counterLock_;
    CatalogueCounter counter_;
};

} // namespace

HRESULT CreateCatalogManager(const std::wstring& folder, ISearchCatalogManager** result)
{
    return InitializeAndQuery(new (std::nothrow) CatalogManager(folder), IID_ISearchCatalogManager,
                              reinterpret_cast<void**>(result));
}

} // namespace brw::winsearch
