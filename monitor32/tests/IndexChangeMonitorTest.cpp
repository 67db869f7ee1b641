// The monitor's answers over a catalogue whose identity the test controls,
// and over the Windows Search stand-in: first use, resets, a reset during
// the pass, a stored IndexGUID of the wrong form, an unreachable catalogue.
#include "monitor32/IndexChangeMonitor.h"

#include "common/ComHolders.h"
#include "common/SearchCatalogue.h"
#include "common/WideString.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

constexpr wchar_t kMainKey[] = L"Software\\FenwoldInc\\BRW";
constexpr wchar_t kIndexGuid[] = L"IndexGUID";
constexpr GUID kFirstSignature = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};
constexpr GUID kSecondSignature = {0x99999999, 0x8888, 0x7777, {8, 7, 6, 5, 4, 3, 2, 1}};

// The catalogue as the test wants it seen. A function pointer has no state
// of its own, so the fake catalogue is one per test program.
struct FakeCatalogue {
    static HRESULT Query(brw::CatalogueIdentity* identity)
    {
        ++queries;
        if (FAILED(result)) {
            return result;
        }
        identity->resetSignature = resetSignature;
        identity->checkpointSignature = kSecondSignature;
        identity->lastCheckpointNumber = 7;
        return result;
    }

    static inline HRESULT result = S_OK;
    static inline GUID resetSignature = kFirstSignature;
    static inline int queries = 0;
};

class IndexChangeMonitorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FakeCatalogue::result = S_OK;
        FakeCatalogue::resetSignature = kFirstSignature;
        FakeCatalogue::queries = 0;
    }

    // The monitor as its class factory makes it, but over the fake catalogue.
    HRESULT Create(brw::ComPtr<brw::IIndexChangeMonitor>& monitor)
    {
        auto* object = brw::ConstructOrNull<brw::CIndexChangeMonitor>(nullptr, &FakeCatalogue::Query);
        return brw::InitializeAndQuery(object, brw::IID_IIndexChangeMonitor, monitor.put_void());
    }

    std::optional<std::wstring> Stored() const { return brwtest::GetString(HKEY_CURRENT_USER, kMainKey, kIndexGuid); }
    void Store(const std::wstring& text)
    {
        ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, kMainKey, kIndexGuid, text));
    }

    brwtest::ScratchKey settings_{HKEY_CURRENT_USER, kMainKey};
};

TEST_F(IndexChangeMonitorTest, FirstUseTakesTheCatalogueAsItsBaselineAndCommitStoresIt)
{
    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    ASSERT_EQ(S_OK, Create(monitor));
    EXPECT_EQ(1, FakeCatalogue::queries) << "the baseline is asked for at creation";
    EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset());
    EXPECT_FALSE(Stored().has_value()) << "nothing is stored before a commit";
    EXPECT_EQ(S_OK, monitor->Commit());
    EXPECT_EQ(brw::GuidToString(kFirstSignature), Stored().value_or(L"(none)"));
}

TEST_F(IndexChangeMonitorTest, AResetIsReportedUntilItIsCommitted)
{
    Store(brw::GuidToString(kFirstSignature));
    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    ASSERT_EQ(S_OK, Create(monitor));
    EXPECT_EQ(0, FakeCatalogue::queries) << "a stored signature needs no query";
    EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset());

    FakeCatalogue::resetSignature = kSecondSignature;
    EXPECT_EQ(S_OK, monitor->HasIndexBeenReset());
    EXPECT_EQ(S_OK, monitor->HasIndexBeenReset()) << "asking again does not adopt the reset";
    EXPECT_EQ(S_OK, monitor->Commit());
    EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset());
    EXPECT_EQ(brw::GuidToString(kSecondSignature), Stored().value_or(L"(none)"));
}

TEST_F(IndexChangeMonitorTest, AResetWhileTheConnectorWasAwayIsReportedByTheNextProcess)
{
    Store(brw::GuidToString(kSecondSignature));
    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    ASSERT_EQ(S_OK, Create(monitor));
    EXPECT_EQ(S_OK, monitor->HasIndexBeenReset());
}

TEST_F(IndexChangeMonitorTest, AResetDuringThePassIsNotCommitted)
{
    Store(brw::GuidToString(kFirstSignature));
    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    ASSERT_EQ(S_OK, Create(monitor));
    EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset());
    FakeCatalogue::resetSignature = kSecondSignature;
    EXPECT_EQ(S_FALSE, monitor->Commit()) << "committing would hide the new reset";
    EXPECT_EQ(brw::GuidToString(kFirstSignature), Stored().value_or(L"(none)"));
    EXPECT_EQ(S_OK, monitor->HasIndexBeenReset()) << "the next pass starts from the beginning";
}

TEST_F(IndexChangeMonitorTest, StoredTextThatIsNoGuidInBracesCountsAsAbsent)
{
    for (const wchar_t* stored : {L"11111111-2222-3333-0102-030405060708", L"{not a guid}", L""}) {
        SCOPED_TRACE(testing::Message() << "IndexGUID \"" << brw::WideToUtf8(stored) << "\"");
        Store(stored);
        FakeCatalogue::queries = 0;
        brw::ComPtr<brw::IIndexChangeMonitor> monitor;
        ASSERT_EQ(S_OK, Create(monitor));
        EXPECT_EQ(1, FakeCatalogue::queries) << "the catalogue is the baseline";
        EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset());
    }
}

TEST_F(IndexChangeMonitorTest, WithoutCatalogueOrStoredGuidCreationFailsAndHandsOutNothing)
{
    FakeCatalogue::result = REGDB_E_CLASSNOTREG;
    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, Create(monitor));
    EXPECT_FALSE(monitor);
}

TEST_F(IndexChangeMonitorTest, AnUnreachableCatalogueIsNoResetAndCommitsNothing)
{
    Store(brw::GuidToString(kFirstSignature));
    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    ASSERT_EQ(S_OK, Create(monitor));
    FakeCatalogue::result = E_ACCESSDENIED;
    EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset());
    EXPECT_EQ(E_ACCESSDENIED, monitor->Commit());
    EXPECT_EQ(brw::GuidToString(kFirstSignature), Stored().value_or(L"(none)"));

    // Back again, after a reset the monitor could not see while it was away.
    FakeCatalogue::result = S_OK;
    FakeCatalogue::resetSignature = kSecondSignature;
    EXPECT_EQ(S_FALSE, monitor->Commit()) << "nothing was observed to commit";
    EXPECT_EQ(S_OK, monitor->HasIndexBeenReset());
}

TEST_F(IndexChangeMonitorTest, TheNotificationSiteOnlyAcknowledges)
{
    Store(brw::GuidToString(kFirstSignature));
    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    ASSERT_EQ(S_OK, Create(monitor));
    brw::ComPtr<ISearchNotifyInlineSite> site;
    ASSERT_EQ(S_OK, monitor->QueryInterface(IID_ISearchNotifyInlineSite, site.put_void()));
    EXPECT_EQ(S_OK, site->OnItemIndexedStatusChange(SEARCH_INDEXING_PHASE_GATHERER, 0, nullptr));
    EXPECT_EQ(S_OK, site->OnCatalogStatusChange(kSecondSignature, kSecondSignature, 1));
    EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset()) << "the site changes nothing the monitor reports";
}

// The same questions asked of the Windows Search stand-in, through the
// query the module uses.
class IndexChangeMonitorStandInTest : public IndexChangeMonitorTest {
protected:
    static std::wstring SetStateFolder(const std::wstring& folder)
    {
        SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, folder.c_str());
        return folder;
    }
    void TearDown() override { SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr); }

    HRESULT ResetCatalogue()
    {
        brw::ComPtr<ISearchCatalogManager> catalog;
        const HRESULT hr = brw::OpenSystemCatalogue(catalog);
        return SUCCEEDED(hr) ? catalog->Reset() : hr;
    }

    brwtest::ScratchFolder scratch_{L"brwmonitor"};
    std::wstring state_ = SetStateFolder(scratch_.Sub(L"state"));
    brwtest::ServerRegistration standIn_{brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll")};
};

TEST_F(IndexChangeMonitorStandInTest, TheIdentityIsTheCatalogueResetSignature)
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    {
        ASSERT_HRESULT_SUCCEEDED(standIn_.Result());
        brw::CatalogueIdentity before;
        ASSERT_EQ(S_OK, brw::QuerySystemCatalogueIdentity(&before));
        EXPECT_FALSE(IsEqualGUID(GUID_NULL, before.resetSignature));

        brw::ComPtr<brw::IIndexChangeMonitor> monitor;
        auto* object = brw::ConstructOrNull<brw::CIndexChangeMonitor>(nullptr, &brw::QuerySystemCatalogueIdentity);
        ASSERT_EQ(S_OK, brw::InitializeAndQuery(object, brw::IID_IIndexChangeMonitor, monitor.put_void()));
        EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset());

        ASSERT_EQ(S_OK, ResetCatalogue());
        brw::CatalogueIdentity after;
        ASSERT_EQ(S_OK, brw::QuerySystemCatalogueIdentity(&after));
        EXPECT_FALSE(IsEqualGUID(before.resetSignature, after.resetSignature));
        EXPECT_EQ(S_OK, monitor->HasIndexBeenReset());
        EXPECT_EQ(S_OK, monitor->Commit());
        EXPECT_EQ(S_FALSE, monitor->HasIndexBeenReset());
        EXPECT_EQ(brw::GuidToString(after.resetSignature), Stored().value_or(L"(none)"));
    }
    CoUninitialize();
}

// The one way every part of the product opens the catalogue: "SystemIndex"
// while a search manager is registered, and the class error, with nothing
// held, once none is.
TEST_F(IndexChangeMonitorStandInTest, TheSystemCatalogueOpensOnlyWhileASearchManagerIsRegistered)
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    {
        ASSERT_HRESULT_SUCCEEDED(standIn_.Result());
        brw::ComPtr<ISearchCatalogManager> catalog;
        ASSERT_EQ(S_OK, brw::OpenSystemCatalogue(catalog));
        ASSERT_TRUE(catalog);
        brw::CoTaskMemPtr<wchar_t> name;
        ASSERT_EQ(S_OK, catalog->get_Name(name.put()));
        EXPECT_STREQ(brw::kSystemCatalogueName, name.get());
        catalog.reset();

        ASSERT_HRESULT_SUCCEEDED(standIn_.Unregister());
        brw::ComPtr<ISearchCatalogManager> none;
        EXPECT_EQ(REGDB_E_CLASSNOTREG, brw::OpenSystemCatalogue(none));
        EXPECT_FALSE(none);
        brw::CatalogueIdentity identity;
        EXPECT_EQ(REGDB_E_CLASSNOTREG, brw::QuerySystemCatalogueIdentity(&identity)) << "a failed open is reported";
    }
    CoUninitialize();
}

TEST(CatalogueIdentityQuery, ANullOutLocationIsRefused)
{
    EXPECT_EQ(E_POINTER, brw::QuerySystemCatalogueIdentity(nullptr));
}

} // namespace
