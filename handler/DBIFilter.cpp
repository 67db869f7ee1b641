#include "handler/DBIFilter.h"

#include "handler/BrwUrl.h"
#include "handler/ContainerNaming.h"
#include "handler/ReplyFields.h"
#include "handler/Requests.h"

#include <shlwapi.h>

#include <new>

namespace brw {

HRESULT CDBIFilter::InitializeDatabase(const std::wstring& identity, const std::wstring& databasePath) noexcept
{
    state_ = kNaming;
    propertyIndex_ = 0;
    try {
        identity_ = identity;
        databasePath_ = databasePath;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    reply_.reset(new (std::nothrow) PipeReply);
    if (!reply_) {
        return E_OUTOFMEMORY;
    }
    // A failed exchange leaves an empty reply: no document is announced.
    RequestModifiedDocuments(reply_.get(), databasePath_, kSinceEverything);
    return S_OK;
}

IFACEMETHODIMP CDBIFilter::Init(ULONG, ULONG, const FULLPROPSPEC*, ULONG*)
{
    state_ = kNaming;
    propertyIndex_ = 0;
    return S_OK;
}

HRESULT CDBIFilter::NextDocument(STAT_CHUNK* pStat, bool* ready)
{
    wchar_t id[9] = {};
    if (!reply_ || !NextDocumentId(reply_.get(), id)) {
        state_ = kDone;
        return S_OK;
    }
    const HRESULT hr = SetUrlToIndexValue(chunks_.Value(), MakeDocumentUrl(identity_, databasePath_, id));
    if (FAILED(hr)) {
        state_ = kDone;
        return hr;
    }
    chunks_.Stamp(pStat, kUrlToIndexWithModificationTime);
    *ready = true;
    return S_OK;
}

IFACEMETHODIMP CDBIFilter::GetChunk(STAT_CHUNK* pStat)
{
    if (!pStat) {
        return E_POINTER;
    }
    HRESULT hr = chunks_.ClearValue();
    if (FAILED(hr)) {
        return hr;
    }
    try {
        for (bool ready = false; !ready;) {
            switch (state_) {
            case kNaming:
                if (propertyIndex_ >= kNamingPropertyCount) {
                    state_ = kChildren;
                    break;
                }
                hr = SetBstrValue(chunks_.Value(), L"/Mail");
                if (FAILED(hr)) {
                    return hr;
                }
                chunks_.Stamp(pStat, kNamingProperties[propertyIndex_++]);
                ready = true;
                break;
            case kChildren:
                hr = NextDocument(pStat, &ready);
                if (FAILED(hr)) {
                    return hr;
                }
                break;
            case kDone: return FILTER_E_END_OF_CHUNKS;
            default: return E_UNEXPECTED;
            }
        }
    } catch (const std::bad_alloc&) {
        state_ = kDone;
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

IFACEMETHODIMP CDBIFilter::GetText(ULONG*, WCHAR*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CDBIFilter::GetValue(PROPVARIANT** ppPropValue)
{
    return chunks_.TakeValue(ppPropValue);
}

IFACEMETHODIMP CDBIFilter::BindRegion(FILTERREGION, REFIID, void**)
{
    return E_NOTIMPL;
}

HRESULT CDBIFilter::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {QITABENT(CDBIFilter, IFilter), {}};
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
