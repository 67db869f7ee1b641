// Scope rules that exclude part of what was indexed: the indexer host drops
// those items at its next pass, whether they came from a crawled root or
// from notifications, and lets them back once the rule is removed.
#include "common/ComHolders.h"
#include "common/WideString.h"
#include "platform/winsearch/tests/StandInHarness.h"

#include <gtest/gtest.h>
#include <searchapi.h>

#include <cstdlib>

namespace brwtest {
namespace {

using brw::ComPtr;

constexpr wchar_t kRoot[] = L"brwtest://t3x3/";
constexpr wchar_t kExcludedBranch[] = L"brwtest://t3x3/n1/";
constexpr BOOL kExcludeRule = FALSE;
constexpr BOOL kKeepChildRules = FALSE;

class ScopeExclusionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegisterStandIn());
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    }
    void TearDown() override { CoUninitialize(); }

    // A scope manager of its own per change, as separate callers would use.
    static ComPtr<ISearchCrawlScopeManager> Scope()
    {
        ComPtr<ISearchManager> manager;
        ComPtr<ISearchCatalogManager> catalog;
        ComPtr<ISearchCrawlScopeManager> scope;
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_CSearchManager, nullptr, CLSCTX_INPROC_SERVER, IID_ISearchManager,
                                         manager.put_void()));
        EXPECT_EQ(S_OK, manager->GetCatalog(L"SystemIndex", catalog.put()));
        EXPECT_EQ(S_OK, catalog->GetCrawlScopeManager(scope.put()));
        return scope;
    }

    static void Exclude(const wchar_t* url)
    {
        ComPtr<ISearchCrawlScopeManager> scope = Scope();
        ASSERT_EQ(S_OK, scope->AddUserScopeRule(url, kExcludeRule, kKeepChildRules, FF_INDEXCOMPLEXURLS));
        ASSERT_EQ(S_OK, scope->SaveAll());
    }

    static void RemoveRule(const wchar_t* url)
    {
        ComPtr<ISearchCrawlScopeManager> scope = Scope();
        ASSERT_EQ(S_OK, scope->RemoveScopeRule(url));
        ASSERT_EQ(S_OK, scope->SaveAll());
    }

    static void Run(const std::wstring& arguments)
    {
        const ProcessResult result = RunAdmin64(arguments);
        ASSERT_EQ(0u, result.exitCode) << result.output;
    }

    static void IndexOnce()
    {
        const ProcessResult result = RunIndexer(L"--once");
        ASSERT_EQ(0u, result.exitCode) << result.output;
    }

    static int Found(const wchar_t* word)
    {
        const ProcessResult result = RunQuery(std::wstring(L"--json --max 1000 ") + word);
        EXPECT_EQ(0u, result.exitCode) << result.output;
        const size_t at = result.output.find("{\"count\":");
        return at == std::string::npos ? -1 : std::atoi(result.output.c_str() + at + 9);
    }

    StateSandbox sandbox_;
};

TEST_F(ScopeExclusionTest, ExcludedBranchOfACrawledRootLeavesTheIndexAndReturnsWithoutTheRule)
{
    Run(std::wstring(L"addroot ") + kRoot);
    IndexOnce();
    ASSERT_EQ(27, Found(L"alpha"));

    Exclude(kExcludedBranch);
    IndexOnce();
    EXPECT_EQ(18, Found(L"alpha")) << "the nine leaves below the excluded branch went";

    RemoveRule(kExcludedBranch);
    IndexOnce();
    EXPECT_EQ(27, Found(L"alpha"));
}

TEST_F(ScopeExclusionTest, ExcludedItemsThatCameByNotificationLeaveTooAndCanBeNotifiedBack)
{
    Run(std::wstring(L"addroot ") + kRoot + L" --notifications-only");
    const std::wstring leaves = L"brwtest://t3x3/n1/n2/n3 brwtest://t3x3/n2/n2/n3";
    Run(L"notify add " + leaves);
    IndexOnce();
    ASSERT_EQ(2, Found(L"alpha"));

    Exclude(kExcludedBranch);
    IndexOnce();
    EXPECT_EQ(1, Found(L"alpha"));
    Run(L"notify add brwtest://t3x3/n1/n2/n3");
    IndexOnce();
    EXPECT_EQ(1, Found(L"alpha")) << "a notification below an excluding rule is not indexed";

    RemoveRule(kExcludedBranch);
    Run(L"notify add brwtest://t3x3/n1/n2/n3");
    IndexOnce();
    EXPECT_EQ(2, Found(L"alpha"));
}

} // namespace
} // namespace brwtest
