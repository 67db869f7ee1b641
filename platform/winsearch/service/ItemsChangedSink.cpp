// The items-changed sink: accepts notifications for URLs in the saved crawl
// scope, numbers them, and queues them in the state folder for the indexer
// host, which it wakes.
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "platform/winsearch/core/ItemRecord.h"
#include "platform/winsearch/core/SharedState.h"
#include "platform/winsearch/core/StateLock.h"
#include "platform/winsearch/service/ServiceObjects.h"

#include <shlwapi.h>

namespace brw::winsearch {

namespace {

// One call carries a crawl batch (the product sends 100); far more is a
// caller's mistake, refused before any array is touched.
constexpr DWORD kMaxChangesPerCall = 100000;
constexpr DWORD kKindMask = 0xFFFF;

bool IsKnownKind(DWORD change)
{
    const DWORD kind = change & kKindMask;
    return kind == SEARCH_CHANGE_ADD || kind == SEARCH_CHANGE_DELETE || kind == SEARCH_CHANGE_MODIFY ||
           kind == SEARCH_CHANGE_MOVE_RENAME;
}

class ItemsChangedSink final : public ComObject<ISearchItemsChangedSink> {
public:
    ItemsChangedSink(std::wstring folder, ISearchNotifyInlineSite* site) : folder_(std::move(folder)), site_(site) {}

    IFACEMETHODIMP StartedMonitoringScope(LPCWSTR url) override { return IsAcceptableUrl(url) ? S_OK : E_INVALIDARG; }
    IFACEMETHODIMP StoppedMonitoringScope(LPCWSTR url) override { return IsAcceptableUrl(url) ? S_OK : E_INVALIDARG; }

    IFACEMETHODIMP OnItemsChanged(DWORD count, SEARCH_ITEM_CHANGE entries[], DWORD docIds[], HRESULT codes[]) override
    {
        if (count == 0) {
            return S_OK;
        }
        if (!entries || !docIds || !codes) {
            return E_POINTER;
        }
        if (count > kMaxChangesPerCall) {
            return E_INVALIDARG;
        }
        for (DWORD i = 0; i < count; ++i) {
            docIds[i] = 0;
            codes[i] = E_FAIL;
        }
        try {
            return Queue(count, entries, docIds, codes);
        } catch (const std::bad_alloc&) {
            return E_OUTOFMEMORY;
        }
    }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {QITABENT(ItemsChangedSink, ISearchItemsChangedSink), {}};
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    HRESULT Queue(DWORD count, const SEARCH_ITEM_CHANGE entries[], DWORD docIds[], HRESULT codes[])
    {
        StateLock lock(folder_);
        if (FAILED(lock.Status())) {
            return Fail(count, codes, lock.Status());
        }
        CrawlScope scope;
        CatalogueIdentity identity;
        HRESULT hr = LoadScope(folder_, &scope);
        if (SUCCEEDED(hr)) {
            hr = LoadIdentity(folder_, &identity);
        }
        if (FAILED(hr)) {
            return Fail(count, codes, hr);
        }
        std::vector<QueuedChange> queued;
        for (DWORD i = 0; i < count; ++i) {
            codes[i] = Accept(entries[i], scope, &identity, &queued, &docIds[i]);
        }
        // Taken now: an item whose gathering begins later sees these changes.
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        if (queued.empty()) {
            return S_OK;
        }
        hr = AppendChanges(folder_, queued, FileTimeToCount(now));
        if (SUCCEEDED(hr)) {
            hr = SaveIdentity(folder_, identity);
        }
        if (FAILED(hr)) {
            return Fail(count, codes, hr);
        }
        SignalWork(folder_);
        return S_OK;
    }

    static HRESULT Accept(const SEARCH_ITEM_CHANGE& entry, const CrawlScope& scope, CatalogueIdentity* identity,
                          std::vector<QueuedChange>* queued, DWORD* docId)
    {
        const DWORD change = static_cast<DWORD>(entry.Change);
        if (!IsKnownKind(change) || !IsAcceptableUrl(entry.lpwszURL)) {
            return E_INVALIDARG;
        }
        const bool isMove = (change & kKindMask) == SEARCH_CHANGE_MOVE_RENAME;
        if (isMove && !IsAcceptableUrl(entry.lpwszOldURL)) {
            return E_INVALIDARG;
        }
        if (!scope.IsIncluded(entry.lpwszURL)) {
            return GTHR_E_URL_EXCLUDED;
        }
        QueuedChange item;
        item.priority = entry.Priority == SEARCH_HIGH_PRIORITY ? SEARCH_HIGH_PRIORITY : SEARCH_NORMAL_PRIORITY;
        item.docId = identity->nextDocId++;
        if (isMove) {
            // A move is the old URL's removal and the new one's addition.
            QueuedChange removal = item;
            removal.change = SEARCH_CHANGE_DELETE;
            removal.url = entry.lpwszOldURL;
            queued->push_back(removal);
            item.change = SEARCH_CHANGE_ADD | (change & ~kKindMask);
        } else {
            item.change = change;
        }
        item.url = entry.lpwszURL;
        queued->push_back(item);
        *docId = item.docId;
        return S_OK;
    }

    static HRESULT Fail(DWORD count, HRESULT codes[], HRESULT hr)
    {
        for (DWORD i = 0; i < count; ++i) {
            codes[i] = hr;
        }
        return hr;
    }

    std::wstring folder_;
    // Kept as Windows keeps it; the stand-in's host runs in another process
    // and reports no per-item status back through it.
    ComPtr<ISearchNotifyInlineSite> site_;
};

} // namespace

HRESULT CreateItemsChangedSink(const std::wstring& folder, ISearchNotifyInlineSite* site, REFIID riid, void** ppv)
{
    return InitializeAndQuery(new (std::nothrow) ItemsChangedSink(folder, site), riid, ppv);
}

} // namespace brw::winsearch
