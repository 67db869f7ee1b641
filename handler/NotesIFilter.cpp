#include "handler/NotesIFilter.h"

#include "handler/BrwUrl.h"
#include "handler/ContainerNaming.h"
#include "handler/Requests.h"

#include <shlwapi.h>

#include <memory>
#include <new>

namespace brw {

HRESULT CNotesIFilter::InitializeRoot(const std::wstring& identity) noexcept
{
    state_ = kNaming;
    propertyIndex_ = 0;
    try {
        identity_ = identity;
        std::unique_ptr<PipeReply> reply(new PipeReply);
        if (!RequestDatabaseList(reply.get(), &databases_)) {
            databases_.Clear();
        }
    } catch (const std::bad_alloc&) {
        databases_.Clear();
    }
    return S_OK;
}

IFACEMETHODIMP CNotesIFilter::Init(ULONG, ULONG, const FULLPROPSPEC*, ULONG*)
{
    state_ = kNaming;
    propertyIndex_ = 0;
    return S_OK;
}

HRESULT CNotesIFilter::NextDatabase(STAT_CHUNK* pStat, bool* ready)
{
    const wchar_t* path = databases_.Item(nextDatabase_);
    if (!path) {
        state_ = kDone;
        return S_OK;
    }
    ++nextDatabase_;
    const HRESULT hr = SetUrlToIndexValue(chunks_.Value(), MakeDatabaseUrl(identity_, path));
    if (FAILED(hr)) {
        state_ = kDone;
        return hr;
    }
    chunks_.Stamp(pStat, kUrlToIndexWithModificationTime);
    *ready = true;
    return S_OK;
}

IFACEMETHODIMP CNotesIFilter::GetChunk(STAT_CHUNK* pStat)
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
                hr = SetBstrValue(chunks_.Value(), L"/Lotus Notes");
                if (FAILED(hr)) {
                    return hr;
                }
                chunks_.Stamp(pStat, kNamingProperties[propertyIndex_++]);
                ready = true;
                break;
            case kChildren:
                hr = NextDatabase(pStat, &ready);
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

IFACEMETHODIMP CNotesIFilter::GetText(ULONG*, WCHAR*)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CNotesIFilter::GetValue(PROPVARIANT** ppPropValue)
{
    return chunks_.TakeValue(ppPropValue);
}

IFACEMETHODIMP CNotesIFilter::BindRegion(FILTERREGION, REFIID, void**)
{
    return E_NOTIMPL;
}

HRESULT CNotesIFilter::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {QITABENT(CNotesIFilter, IFilter), {}};
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
