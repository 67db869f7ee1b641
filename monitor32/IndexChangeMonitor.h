// CIndexChangeMonitor: tells the crawl whether the search catalogue was
// reset since the crawl last committed, by comparing the catalogue's reset
// signature with the one it committed (kept in the user's IndexGUID value
// across processes).
#pragma once

#include "common/ComObject.h"
#include "common/IndexChangeMonitorApi.h"
#include "monitor32/CatalogueIdentity.h"

#include <windows.h>
#include <searchapi.h>

namespace brw {

class CIndexChangeMonitor final : public ComObject<IIndexChangeMonitor, ISearchNotifyInlineSite> {
public:
    explicit CIndexChangeMonitor(IUnknown* outer, CatalogueIdentityQuery query = &QuerySystemCatalogueIdentity) noexcept
        : ComObject(outer), query_(query)
    {
    }

    // Takes the stored IndexGUID as the committed signature; without one,
    // the catalogue as it is now becomes the baseline, and creation fails
    // when the catalogue cannot be asked.
    HRESULT Initialize() noexcept;

    IFACEMETHODIMP HasIndexBeenReset() override;
    // S_FALSE when the catalogue was reset again since HasIndexBeenReset:
    // nothing is committed, so the next call reports the reset.
    IFACEMETHODIMP Commit() override;

    // The monitor never hands itself to the catalogue as a site; these only
    // acknowledge, as a site must.
    IFACEMETHODIMP OnItemIndexedStatusChange(SEARCH_INDEXING_PHASE, DWORD, SEARCH_ITEM_INDEXING_STATUS[]) override
    {
        return S_OK;
    }
    IFACEMETHODIMP OnCatalogStatusChange(REFGUID, REFGUID, DWORD) override { return S_OK; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CIndexChangeMonitor() override = default;

    CatalogueIdentityQuery query_;
    CatalogueIdentity committed_;
    CatalogueIdentity observed_;
};

} // namespace brw
