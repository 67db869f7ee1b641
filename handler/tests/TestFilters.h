// Test doubles for the indexer's side: a protocol handler site and the text
// filters it hands out, loaded through IPersistStream or IPersistFile.
#pragma once
#include "common/ComHolders.h"
#include "common/ComObject.h"

#include <windows.h>
#include <filter.h>
#include <filterr.h>
#include <searchapi.h>

#include <string>
#include <vector>

namespace brwtest {

enum class LoadRoute { Stream, File };

// Yields the loaded file's bytes (read as UTF-16) as one text chunk with id
// 1000, then FILTER_E_END_OF_CHUNKS.
class TestTextFilter final : public brw::ComObject<IFilter, IPersistStream, IPersistFile> {
public:
    explicit TestTextFilter(LoadRoute route) : route_(route) {}

    IFACEMETHODIMP Init(ULONG, ULONG, const FULLPROPSPEC*, ULONG*) override;
    IFACEMETHODIMP GetChunk(STAT_CHUNK* stat) override;
    IFACEMETHODIMP GetText(ULONG* count, WCHAR* buffer) override;
    IFACEMETHODIMP GetValue(PROPVARIANT**) override { return FILTER_E_NO_VALUES; }
    IFACEMETHODIMP BindRegion(FILTERREGION, REFIID, void**) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetClassID(CLSID*) override { return E_NOTIMPL; }
    IFACEMETHODIMP IsDirty() override { return S_FALSE; }
    IFACEMETHODIMP Load(IStream* stream) override;
    IFACEMETHODIMP Save(IStream*, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
    IFACEMETHODIMP Load(LPCOLESTR path, DWORD mode) override;
    IFACEMETHODIMP Save(LPCOLESTR, BOOL) override { return E_NOTIMPL; }
    IFACEMETHODIMP SaveCompleted(LPCOLESTR) override { return E_NOTIMPL; }
    IFACEMETHODIMP GetCurFile(LPOLESTR*) override { return E_NOTIMPL; }

    bool initialised = false;
    std::wstring loadedBy;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~TestTextFilter() override = default;
    LoadRoute route_;
    std::wstring text_;
    bool loaded_ = false;
    int chunks_ = 0;
    bool textTaken_ = false;
};

// GetFilter answers with a new TestTextFilter, or fails for the extensions
// it is told to refuse.
class TestSite final : public brw::ComObject<IProtocolHandlerSite> {
public:
    IFACEMETHODIMP GetFilter(CLSID* clsid, LPCWSTR contentType, LPCWSTR extension, IFilter** filter) override;

    LoadRoute route = LoadRoute::Stream;
    bool refuse = false;
    std::vector<std::wstring> askedFor;
    brw::ComPtr<TestTextFilter> last;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~TestSite() override = default;
};

brw::ComPtr<TestSite> MakeSite();

} // namespace brwtest
