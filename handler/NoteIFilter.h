// The filter of one Notes document: its 23 properties, its body text through
// the indexer's own text filter, then one crawl request per attachment.
#pragma once
#include <windows.h>

#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "handler/FilterChunks.h"
#include "handler/PipeReply.h"

#include <filter.h>

#include <memory>
#include <string>

namespace brw {

// {42BDA5B7-EF8D-41F9-8A02-375E7698C610}
constexpr CLSID kNoteIFilterClsid = {0x42BDA5B7, 0xEF8D, 0x41F9, {0x8A, 0x02, 0x37, 0x5E, 0x76, 0x98, 0xC6, 0x10}};

class CNoteIFilter final : public ComObject<IFilter> {
public:
    CNoteIFilter() noexcept = default;

    // Fetches the document once; its reply answers every later call.
    // bodyFilter may be null.
    HRESULT InitializeNote(const std::wstring& identity, const std::wstring& databasePath, const std::wstring& noteId,
                           IFilter* bodyFilter) noexcept;

    IFACEMETHODIMP Init(ULONG grfFlags, ULONG cAttributes, const FULLPROPSPEC* aAttributes, ULONG* pFlags) override;
    IFACEMETHODIMP GetChunk(STAT_CHUNK* pStat) override;
    IFACEMETHODIMP GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer) override;
    IFACEMETHODIMP GetValue(PROPVARIANT** ppPropValue) override;
    IFACEMETHODIMP BindRegion(FILTERREGION origPos, REFIID riid, void** ppunk) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    enum State : int { kProperties = -1, kAttachments = 0, kBody = 1, kDone = 2 };

    ~CNoteIFilter() override;
    void StartBody();
    HRESULT NextAttachment(STAT_CHUNK* pStat, bool* ready);

    int state_ = kProperties;
    OwnChunks chunks_;
    ULONG propertyIndex_ = 0;
    std::wstring identity_;
    std::wstring databasePath_;
    std::wstring noteId_;
    std::wstring bodyPath_;
    ULONG attachmentNumber_ = 1;
    std::unique_ptr<PipeReply> reply_;
    ULONG initFlags_ = 0;
    ComPtr<IFilter> bodyFilter_;
    ComPtr<IStream> bodyStream_;
};

} // namespace brw
