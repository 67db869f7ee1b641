#include "handler/tests/TestFilters.h"

#include <filterr.h>
#include <shlwapi.h>
#include <windowssearcherrors.h>

#include <new>

namespace brwtest {

IFACEMETHODIMP TestTextFilter::Init(ULONG, ULONG, const FULLPROPSPEC*, ULONG*)
{
    initialised = true;
    return S_OK;
}

IFACEMETHODIMP TestTextFilter::GetChunk(STAT_CHUNK* stat)
{
    if (!loaded_ || chunks_++ > 0) {
        return FILTER_E_END_OF_CHUNKS;
    }
    *stat = {};
    stat->idChunk = 1000;
    stat->breakType = CHUNK_NO_BREAK;
    stat->flags = CHUNK_TEXT;
    stat->locale = 7;
    return S_OK;
}

IFACEMETHODIMP TestTextFilter::GetText(ULONG* count, WCHAR* buffer)
{
    if (textTaken_ || *count <= text_.size()) {
        return FILTER_E_NO_MORE_TEXT;
    }
    text_.copy(buffer, text_.size());
    *count = static_cast<ULONG>(text_.size());
    textTaken_ = true;
    return S_OK;
}

IFACEMETHODIMP TestTextFilter::Load(IStream* stream)
{
    wchar_t buffer[2048];
    ULONG read = 0;
    if (FAILED(stream->Read(buffer, sizeof(buffer), &read))) {
        return E_FAIL;
    }
    text_.assign(buffer, read / sizeof(wchar_t));
    loadedBy = L"stream";
    loaded_ = true;
    return S_OK;
}

IFACEMETHODIMP TestTextFilter::Load(LPCOLESTR path, DWORD mode)
{
    brw::ComPtr<IStream> stream;
    if (FAILED(SHCreateStreamOnFileEx(path, mode, 0, FALSE, nullptr, stream.put())) || FAILED(Load(stream.get()))) {
        return E_FAIL;
    }
    loadedBy = L"file";
    return S_OK;
}

HRESULT TestTextFilter::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kStream[] = {QITABENT(TestTextFilter, IFilter), QITABENT(TestTextFilter, IPersistStream), {}};
    static const QITAB kFile[] = {QITABENT(TestTextFilter, IFilter), QITABENT(TestTextFilter, IPersistFile), {}};
    return QISearch(this, route_ == LoadRoute::Stream ? kStream : kFile, riid, ppv);
}

IFACEMETHODIMP TestSite::GetFilter(CLSID*, LPCWSTR, LPCWSTR extension, IFilter** filter)
{
    askedFor.push_back(extension ? extension : L"(null)");
    *filter = nullptr;
    if (refuse) {
        return GTHR_E_FILTER_NOT_FOUND; // no filter for this format
    }
    auto* made = new TestTextFilter(route);
    last = brw::ComPtr<TestTextFilter>(made);
    made->InnerUnknown()->Release(); // the holder keeps the one reference
    return made->QueryInterface(IID_IFilter, reinterpret_cast<void**>(filter));
}

HRESULT TestSite::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {QITABENT(TestSite, IProtocolHandlerSite), {}};
    return QISearch(this, kInterfaces, riid, ppv);
}

brw::ComPtr<TestSite> MakeSite()
{
    auto* site = new TestSite();
    brw::ComPtr<TestSite> held(site);
    site->InnerUnknown()->Release();
    return held;
}

} // namespace brwtest
