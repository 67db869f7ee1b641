// The filter of the user's crawl root: its naming chunks, then one crawl
// request per database the user selected.
#pragma once
#include <windows.h>

#include "common/ComObject.h"
#include "handler/FilterChunks.h"
#include "handler/StringList.h"

#include <filter.h>

#include <string>

namespace brw {

// {3BC73B4E-FFB2-44B7-BC43-33CF13A9EF45}
constexpr CLSID kNotesIFilterClsid = {0x3BC73B4E, 0xFFB2, 0x44B7, {0xBC, 0x43, 0x33, 0xCF, 0x13, 0xA9, 0xEF, 0x45}};

class CNotesIFilter final : public ComObject<IFilter> {
public:
    CNotesIFilter() noexcept = default;

    // Asks for the selected databases once; succeeds whatever the connector
    // says, and then announces no database.
    HRESULT InitializeRoot(const std::wstring& identity) noexcept;

    IFACEMETHODIMP Init(ULONG grfFlags, ULONG cAttributes, const FULLPROPSPEC* aAttributes, ULONG* pFlags) override;
    IFACEMETHODIMP GetChunk(STAT_CHUNK* pStat) override;
    IFACEMETHODIMP GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer) override;
    IFACEMETHODIMP GetValue(PROPVARIANT** ppPropValue) override;
    IFACEMETHODIMP BindRegion(FILTERREGION origPos, REFIID riid, void** ppunk) override;

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    enum State : int { kNaming = -1, kChildren = 0, kDone = 1 };

    ~CNotesIFilter() override = default;
    HRESULT NextDatabase(STAT_CHUNK* pStat, bool* ready);

    int state_ = kNaming;
    OwnChunks chunks_;
    ULONG propertyIndex_ = 0;
    std::wstring identity_;
    StringList databases_;
    int nextDatabase_ = 0;
};

} // namespace brw
