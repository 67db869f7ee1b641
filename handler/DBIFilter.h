// The filter of one Notes database: its naming chunks, then one crawl
// request per document the connector lists for it.
#pragma once
#include <windows.h>

#include "common/ComObject.h"
#include "handler/FilterChunks.h"
#include "handler/PipeReply.h"

#include <filter.h>

#include <memory>
#include <string>

namespace brw {

// {F073E96A-56BD-4722-B6FE-E0843407DBB7}
constexpr CLSID kDBIFilterClsid = {0xF073E96A, 0x56BD, 0x4722, {0xB6, 0xFE, 0xE0, 0x84, 0x34, 0x07, 0xDB, 0xB7}};

class CDBIFilter final : public ComObject<IFilter> {
public:
    CDBIFilter() noexcept = default;

    // Fetches the document list once; succeeds whatever the connector says,
    // and then announces no document.
    HRESULT InitializeDatabase(const std::wstring& identity, const std::wstring& databasePath) noexcept;

    IFACEMETHODIMP Init(ULONG grfFlags, ULONG cAttributes, const FULLPROPSPEC* aAttributes, ULONG* pFlags) override;
    IFACEMETHODIMP GetChunk(STAT_CHUNK* pStat) override;
    IFACEMETHODIMP GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer) override;
    IFACEMETHODIMP GetValue(PROPVARIANT** ppPropValue) override;
    IFACEMETHODIMP BindRegion(FILTERREGION origPos, REFIID riid, void** ppunk) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    enum State : int { kNaming = -1, kChildren = 0, kDone = 1 };

    ~CDBIFilter() override = default;
    HRESULT NextDocument(STAT_CHUNK* pStat, bool* ready);

    int state_ = kNaming;
    OwnChunks chunks_;
    ULONG propertyIndex_ = 0;
    std::wstring identity_;
    std::wstring databasePath_;
    std::unique_ptr<PipeReply> reply_;
};

} // namespace brw
