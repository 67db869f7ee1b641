// The filter of a container (the crawl root, a database): three naming
// chunks that all carry its display text, then one crawl request per child
// the container lists.
#pragma once
#include "handler/filters/ChunkFilter.h"

#include <windows.h>

namespace brw {

class ContainerFilter : public ChunkFilter {
public:
    // A container's chunks are all its own values.
    IFACEMETHODIMP GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer) final;

protected:
    explicit ContainerFilter(const wchar_t* namingText) noexcept;
    ~ContainerFilter() override = default;

    // The result of asking the connector for the children. The indexer takes
    // a container without children as one whose children were all deleted,
    // so a container whose list could not be had must fail, never look empty.
    void SetFetchResult(HRESULT hr) noexcept { fetchResult_ = hr; }

private:
    HRESULT FetchResult() const noexcept final { return fetchResult_; }
    HRESULT ComputeProperty(ULONG index, PROPVARIANT* value) final;
    // A child list cut short is not picked up again halfway.
    bool EndsAtFailure() const noexcept final { return true; }

    const wchar_t* namingText_;
    HRESULT fetchResult_ = S_OK;
};

} // namespace brw
