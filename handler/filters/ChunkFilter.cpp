#include "handler/filters/ChunkFilter.h"

#include "common/FailureTrail.h"

#include <shlwapi.h>

#include <new>

namespace brw {

IFACEMETHODIMP ChunkFilter::Init(ULONG grfFlags, ULONG, const FULLPROPSPEC*, ULONG*)
{
    initFlags_ = grfFlags;
    Restart();
    const HRESULT fetched = FetchResult();
    if (FAILED(fetched)) {
        TraceFailure(L"BRWHandler filter", L"fetch the item's reply at Init", fetched);
    }
    return fetched;
}

IFACEMETHODIMP ChunkFilter::GetChunk(STAT_CHUNK* pStat)
{
    if (!pStat) {
        return E_POINTER;
    }
    const HRESULT hr = chunks_.ClearValue();
    if (FAILED(hr)) {
        return hr;
    }
    try {
        return NextChunk(pStat);
    } catch (const std::bad_alloc&) {
        Fail();
        TraceFailure(L"BRWHandler filter", L"make the next chunk", E_OUTOFMEMORY);
        return E_OUTOFMEMORY;
    }
}

IFACEMETHODIMP ChunkFilter::GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer)
{
    IFilter* inner = PassingThrough();
    return inner ? inner->GetText(pcwcBuffer, awcBuffer) : E_FAIL;
}

IFACEMETHODIMP ChunkFilter::GetValue(PROPVARIANT** ppPropValue)
{
    IFilter* inner = PassingThrough();
    return inner ? inner->GetValue(ppPropValue) : chunks_.TakeValue(ppPropValue);
}

IFACEMETHODIMP ChunkFilter::BindRegion(FILTERREGION, REFIID, void**)
{
    return E_NOTIMPL;
}

HRESULT ChunkFilter::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {QITABENT(ChunkFilter, IFilter), {}};
    return QISearch(this, kInterfaces, riid, ppv);
}

void ChunkFilter::Restart() noexcept
{
    propertyIndex_ = 0;
    step_ = kProperties;
}

bool ChunkFilter::LoadContentStream(const ComPtr<IFilter>& filter, const std::wstring& path, ComPtr<IStream>& stream)
{
    if (FAILED(SHCreateStreamOnFileEx(path.c_str(), STGM_READ, 0, FALSE, nullptr, stream.put()))) {
        return false;
    }
    ComPtr<IPersistStream> persist;
    if (SUCCEEDED(filter.As(&persist)) && SUCCEEDED(persist->Load(stream.get()))) {
        InitContent(filter);
    }
    return true;
}

void ChunkFilter::InitContent(const ComPtr<IFilter>& filter)
{
    ULONG flags = 0;
    filter->Init(initFlags_, 0, nullptr, &flags);
}

HRESULT ChunkFilter::NextChunk(STAT_CHUNK* stat)
{
    const HRESULT fetched = FetchResult();
    if (FAILED(fetched)) {
        return fetched;
    }
    if (!HasItem()) {
        return FILTER_E_END_OF_CHUNKS;
    }
    if (step_ == kProperties) {
        HRESULT hr = S_OK;
        if (NextProperty(stat, &hr)) {
            return hr;
        }
        // Set first: content that cannot be opened for want of memory is
        // skipped, not tried again.
        step_ = kChildren;
        if (OpenContent()) {
            step_ = kContent;
        }
    }
    if (step_ == kContent) {
        // Past the content's last chunk, or at a failure of its filter, the
        // children follow.
        IFilter* content = Content();
        const HRESULT hr = content ? content->GetChunk(stat) : FILTER_E_END_OF_CHUNKS;
        if (SUCCEEDED(hr)) {
            return hr;
        }
        step_ = kChildren;
    }
    if (step_ == kChildren) {
        std::wstring url;
        if (NextChildUrl(&url)) {
            return NextChild(stat, url);
        }
        step_ = kDone;
    }
    return FILTER_E_END_OF_CHUNKS;
}

bool ChunkFilter::NextProperty(STAT_CHUNK* stat, HRESULT* hr)
{
    if (propertyIndex_ >= propertyCount_) {
        return false;
    }
    const HRESULT computed = ComputeProperty(propertyIndex_, chunks_.Value());
    if (FAILED(computed)) {
        *hr = computed;
        return true;
    }
    chunks_.Stamp(stat, properties_[propertyIndex_++]);
    *hr = S_OK;
    return true;
}

HRESULT ChunkFilter::NextChild(STAT_CHUNK* stat, const std::wstring& url)
{
    const HRESULT hr = SetUrlToIndexValue(chunks_.Value(), url);
    if (FAILED(hr)) {
        Fail();
        TraceFailure(L"BRWHandler filter", L"announce a child URL", hr);
        return hr;
    }
    chunks_.Stamp(stat, kUrlToIndexWithModificationTime);
    return S_OK;
}

void ChunkFilter::Fail() noexcept
{
    if (EndsAtFailure()) {
        step_ = kDone;
    }
}

} // namespace brw
