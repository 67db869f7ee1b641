// Adding a crawl root where no Windows Search answers: the failure is
// reported as one before the save and nothing is saved, so a caller that
// counts every failure (the installer) sees it and one that serves on
// regardless (the connector) can tell it from a refused save. The saved
// cases run against the Windows Search stand-in through the connector's
// tests.
#include "common/CrawlRootAddition.h"

#include "common/ComApartment.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <searchapi.h>

namespace {

TEST(CrawlRootAddition, WithoutACatalogueTheFailureComesBeforeTheSave)
{
    const brw::ComApartment com;
    ASSERT_HRESULT_SUCCEEDED(com.Result());
    // No case of this program registers the stand-in, and the lock keeps
    // every other program's registration out while it runs; a search
    // manager that answers all the same means the premise is not there.
    IUnknown* manager = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_CSearchManager, nullptr, CLSCTX_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&manager)))) {
        manager->Release();
        GTEST_SKIP() << "a search manager is registered in this prefix";
    }
    const brw::CrawlRootAddition added = brw::AddCrawlRootUnlessIncluded(L"brw://{S-1-5-21-1-2-3-1000}/");
    EXPECT_EQ(REGDB_E_CLASSNOTREG, added.beforeSave);
    EXPECT_EQ(S_OK, added.save) << "nothing was saved";
}

} // namespace
