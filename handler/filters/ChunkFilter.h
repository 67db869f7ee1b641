// The IFilter every filter of ours is. Its chunks come in three steps: the
// item's own properties, from a table of keys; then, while an inner filter
// reads the item's content, that filter's chunks, text and values passed
// through unchanged; then one crawl request per child URL. Each own value
// is handed out once. A filter supplies only the steps it has.
#pragma once
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "handler/filters/FilterChunks.h"

#include <windows.h>
#include <filter.h>

#include <string>

namespace brw {

class ChunkFilter : public ComObject<IFilter> {
public:
    IFACEMETHODIMP Init(ULONG grfFlags, ULONG cAttributes, const FULLPROPSPEC* aAttributes, ULONG* pFlags) final;
    IFACEMETHODIMP GetChunk(STAT_CHUNK* pStat) final;
    // Outside the content there is no text: every own chunk is a value.
    IFACEMETHODIMP GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer) override;
    IFACEMETHODIMP GetValue(PROPVARIANT** ppPropValue) final;
    IFACEMETHODIMP BindRegion(FILTERREGION origPos, REFIID riid, void** ppunk) final;

protected:
    ChunkFilter(const PropertyKeyEntry* properties, ULONG propertyCount) noexcept
        : properties_(properties), propertyCount_(propertyCount)
    {
    }
    ~ChunkFilter() override = default;

    HRESULT QueryOwnInterface(REFIID riid, void** ppv) final;

    // Back to the first property.
    void Restart() noexcept;
    // Has filter read the file at path through a stream, which holds the
    // file open while it lives; false if the file cannot be opened.
    bool LoadContentStream(const ComPtr<IFilter>& filter, const std::wstring& path, ComPtr<IStream>& stream);
    // Starts filter on what it loaded, with the flags this filter was given.
    void InitContent(const ComPtr<IFilter>& filter);

private:
    enum Step : int { kProperties, kContent, kChildren, kDone };

    // False for a filter made by its class factory alone: nothing to filter.
    virtual bool HasItem() const noexcept { return true; }
    // A failure when the item could not be fetched: Init and every chunk
    // answer it, so the indexer tries the item again later rather than
    // taking it for an item with nothing in it.
    virtual HRESULT FetchResult() const noexcept { return S_OK; }
    // Entry index of the property table into value, which is empty.
    virtual HRESULT ComputeProperty(ULONG index, PROPVARIANT* value) = 0;
    // Readies the inner filter; true if its chunks follow the properties.
    virtual bool OpenContent() { return false; }
    virtual IFilter* Content() const noexcept { return nullptr; }
    // The URL of the next child; false once there is none.
    virtual bool NextChildUrl(std::wstring*) { return false; }
    // True to hand out no further chunk once a child request failed.
    virtual bool EndsAtFailure() const noexcept { return false; }

    // The steps may throw std::bad_alloc; GetChunk answers E_OUTOFMEMORY.
    HRESULT NextChunk(STAT_CHUNK* stat);
    // True with *hr the answer while properties remain.
    bool NextProperty(STAT_CHUNK* stat, HRESULT* hr);
    HRESULT NextChild(STAT_CHUNK* stat, const std::wstring& url);
    void Fail() noexcept;
    IFilter* PassingThrough() const noexcept { return step_ == kContent ? Content() : nullptr; }

    OwnChunks chunks_;
    const PropertyKeyEntry* properties_;
    ULONG propertyCount_;
    ULONG propertyIndex_ = 0;
    Step step_ = kProperties;
    ULONG initFlags_ = 0;
};

} // namespace brw
