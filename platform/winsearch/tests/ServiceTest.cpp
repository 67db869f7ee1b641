// The search manager's objects, created through the registry as a client
// creates them, in this (64-bit) process.
#include "common/ComHolders.h"
#include "platform/winsearch/tests/StandInHarness.h"

#include <gtest/gtest.h>
#include <searchapi.h>

#include <vector>

namespace brwtest {
namespace {

using brw::ComPtr;
using brw::CoTaskMemPtr;

constexpr HRESULT kCatalogNotFound = static_cast<HRESULT>(0x80042103L);

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(RegisterStandIn());
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CSearchManager, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER,
                                         IID_ISearchManager, manager_.put_void()));
        ASSERT_EQ(S_OK, manager_->GetCatalog(L"SystemIndex", catalog_.put()));
    }
    void TearDown() override
    {
        catalog_.reset();
        manager_.reset();
        CoUninitialize();
    }

    ComPtr<ISearchCrawlScopeManager> Scope()
    {
        ComPtr<ISearchCrawlScopeManager> scope;
        EXPECT_EQ(S_OK, catalog_->GetCrawlScopeManager(scope.put()));
        return scope;
    }

    static ComPtr<ISearchRoot> Root(const wchar_t* url, BOOL notifications)
    {
        ComPtr<ISearchRoot> root;
        EXPECT_EQ(S_OK, CoCreateInstance(CLSID_CSearchRoot, nullptr, CLSCTX_ALL, IID_ISearchRoot, root.put_void()));
        EXPECT_EQ(S_OK, root->put_RootURL(url));
        EXPECT_EQ(S_OK, root->put_ProvidesNotifications(notifications));
        return root;
    }

    static std::vector<std::wstring> RootUrls(ISearchCrawlScopeManager* scope)
    {
        ComPtr<IEnumSearchRoots> roots;
        std::vector<std::wstring> urls;
        EXPECT_EQ(S_OK, scope->EnumerateRoots(roots.put()));
        ComPtr<ISearchRoot> root;
        while (roots && roots->Next(1, root.put(), nullptr) == S_OK) {
            CoTaskMemPtr<wchar_t> url;
            EXPECT_EQ(S_OK, root->get_RootURL(url.put()));
            urls.push_back(url.get());
        }
        return urls;
    }

    BOOL Included(ISearchCrawlScopeManager* scope, const wchar_t* url)
    {
        BOOL included = 2;
        EXPECT_EQ(S_OK, scope->IncludedInCrawlScope(url, &included));
        return included;
    }

    StateSandbox sandbox_;
    ComPtr<ISearchManager> manager_;
    ComPtr<ISearchCatalogManager> catalog_;
};

TEST_F(ServiceTest, OnlySystemIndexExists)
{
    ComPtr<ISearchCatalogManager> other;
    EXPECT_EQ(kCatalogNotFound, manager_->GetCatalog(L"OtherIndex", other.put()));
    EXPECT_FALSE(other);
    EXPECT_EQ(S_OK, manager_->GetCatalog(L"systemindex", other.put()));
    CoTaskMemPtr<wchar_t> name;
    ASSERT_EQ(S_OK, catalog_->get_Name(name.put()));
    EXPECT_STREQ(L"SystemIndex", name.get());
    EXPECT_EQ(E_NOTIMPL, catalog_->Reindex());
}

TEST_F(ServiceTest, NothingTakesEffectBeforeSaveAll)
{
    ComPtr<ISearchCrawlScopeManager> scope = Scope();
    ASSERT_EQ(S_OK, scope->AddRoot(Root(L"brw://{S-1-5-21-1}/", TRUE).get()));
    ASSERT_EQ(S_OK, scope->AddHierarchicalScope(L"brw://{S-1-5-21-1}/", TRUE, TRUE, FALSE));
    EXPECT_FALSE(Included(scope.get(), L"brw://{S-1-5-21-1}/"));
    EXPECT_TRUE(RootUrls(Scope().get()).empty()) << "another manager sees nothing either";
    ASSERT_EQ(S_OK, scope->SaveAll());
    ComPtr<ISearchCrawlScopeManager> later = Scope();
    EXPECT_TRUE(Included(later.get(), L"brw://{S-1-5-21-1}/"));
    EXPECT_TRUE(Included(later.get(), L"brw://{S-1-5-21-1}/C:/mail/a.nsf/1a2"));
    EXPECT_FALSE(Included(later.get(), L"brw://{S-1-5-21-2}/"));
    EXPECT_EQ((std::vector<std::wstring>{L"brw://{S-1-5-21-1}/"}), RootUrls(later.get()));
}

TEST_F(ServiceTest, ADuplicateRootReplacesTheFirstAndTwoManagersKeepBothEdits)
{
    ComPtr<ISearchCrawlScopeManager> first = Scope();
    ComPtr<ISearchCrawlScopeManager> second = Scope();
    ASSERT_EQ(S_OK, first->AddRoot(Root(L"brw://{S-1}/", FALSE).get()));
    ASSERT_EQ(S_OK, first->AddRoot(Root(L"brw://{S-1}/", TRUE).get()));
    ASSERT_EQ(S_OK, second->AddRoot(Root(L"brw://{S-2}/", FALSE).get()));
    ASSERT_EQ(S_OK, first->SaveAll());
    ASSERT_EQ(S_OK, second->SaveAll());
    const auto urls = RootUrls(Scope().get());
    ASSERT_EQ(2u, urls.size());
    ComPtr<IEnumSearchRoots> roots;
    ASSERT_EQ(S_OK, Scope()->EnumerateRoots(roots.put()));
    ComPtr<ISearchRoot> root;
    ULONG fetched = 0;
    ASSERT_EQ(S_OK, roots->Next(1, root.put(), &fetched));
    BOOL notifications = FALSE;
    ASSERT_EQ(S_OK, root->get_ProvidesNotifications(&notifications));
    EXPECT_TRUE(notifications) << "the second AddRoot's settings stand";
    ISearchRoot* rest[3] = {};
    EXPECT_EQ(S_FALSE, roots->Next(3, rest, &fetched));
    EXPECT_EQ(1u, fetched);
    rest[0]->Release();
}

TEST_F(ServiceTest, RemoveRootAnswersSFalseForAnUnknownRootAndTakesItsRules)
{
    ComPtr<ISearchCrawlScopeManager> scope = Scope();
    EXPECT_EQ(S_FALSE, scope->RemoveRoot(L"brw://{S-1}/"));
    ASSERT_EQ(S_OK, scope->AddRoot(Root(L"brw://{S-1}/", TRUE).get()));
    ASSERT_EQ(S_OK, scope->AddDefaultScopeRule(L"brw://{S-1}/", TRUE, FF_INDEXCOMPLEXURLS));
    ASSERT_EQ(S_OK, scope->SaveAll());
    EXPECT_EQ(S_OK, scope->RemoveRoot(L"brw://{S-1}"));
    EXPECT_EQ(S_FALSE, scope->RemoveRoot(L"brw://{S-1}/")) << "already removed, though not yet saved";
    EXPECT_TRUE(Included(Scope().get(), L"brw://{S-1}/x")) << "still saved until SaveAll";
    ASSERT_EQ(S_OK, scope->SaveAll());
    EXPECT_FALSE(Included(Scope().get(), L"brw://{S-1}/x"));
    EXPECT_TRUE(RootUrls(Scope().get()).empty());
}

TEST_F(ServiceTest, BadArgumentsAreRefused)
{
    ComPtr<ISearchCrawlScopeManager> scope = Scope();
    EXPECT_EQ(E_POINTER, scope->AddRoot(nullptr));
    ComPtr<ISearchRoot> empty;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_CSearchRoot, nullptr, CLSCTX_ALL, IID_ISearchRoot, empty.put_void()));
    EXPECT_EQ(E_INVALIDARG, scope->AddRoot(empty.get())) << "a root without a URL";
    EXPECT_EQ(E_INVALIDARG, empty->put_RootURL(L"brw://a\nb"));
    EXPECT_EQ(E_INVALIDARG, scope->AddUserScopeRule(nullptr, TRUE, FALSE, 0));
    EXPECT_EQ(E_POINTER, scope->IncludedInCrawlScope(L"brw://x/", nullptr));
    EXPECT_EQ(E_NOTIMPL, empty->put_Password(L"secret"));
}

TEST_F(ServiceTest, IdentityStaysTheSameUntilResetWhichEmptiesTheCatalogue)
{
    auto identity = [this](GUID* reset, GUID* checkpoint, DWORD* number) {
        ComPtr<ISearchItemsChangedSink> sink;
        EXPECT_EQ(S_OK, catalog_->GetItemsChangedSink(nullptr, IID_ISearchItemsChangedSink, sink.put_void(), reset,
                                                      checkpoint, number));
        EXPECT_TRUE(sink);
    };
    GUID reset1{}, checkpoint1{}, reset2{}, checkpoint2{}, reset3{}, checkpoint3{};
    DWORD number1 = 9, number2 = 9, number3 = 9;
    identity(&reset1, &checkpoint1, &number1);
    identity(&reset2, &checkpoint2, &number2);
    EXPECT_FALSE(IsEqualGUID(reset1, GUID_NULL));
    EXPECT_TRUE(IsEqualGUID(reset1, reset2));
    EXPECT_TRUE(IsEqualGUID(checkpoint1, checkpoint2));
    EXPECT_EQ(0u, number1);
    ASSERT_EQ(S_OK, catalog_->Reset());
    identity(&reset3, &checkpoint3, &number3);
    EXPECT_FALSE(IsEqualGUID(reset1, reset3));
    EXPECT_TRUE(IsEqualGUID(checkpoint1, checkpoint3));
    LONG items = -1;
    EXPECT_EQ(S_OK, catalog_->NumberOfItems(&items));
    EXPECT_EQ(0, items);
    ComPtr<IUnknown> wrong;
    EXPECT_EQ(E_NOINTERFACE, catalog_->GetItemsChangedSink(nullptr, IID_ISearchPersistentItemsChangedSink,
                                                           wrong.put_void(), &reset1, &checkpoint1, &number1));
}

TEST_F(ServiceTest, TheSinkQueuesInScopeUrlsAndExcludesTheRest)
{
    ComPtr<ISearchCrawlScopeManager> scope = Scope();
    ASSERT_EQ(S_OK, scope->AddRoot(Root(L"brw://{S-1}/", TRUE).get()));
    ASSERT_EQ(S_OK, scope->AddHierarchicalScope(L"brw://{S-1}/", TRUE, TRUE, FALSE));
    ASSERT_EQ(S_OK, scope->SaveAll());
    ComPtr<ISearchItemsChangedSink> sink;
    GUID reset{}, checkpoint{};
    DWORD number = 0;
    ASSERT_EQ(S_OK, catalog_->GetItemsChangedSink(nullptr, IID_ISearchItemsChangedSink, sink.put_void(), &reset,
                                                  &checkpoint, &number));
    wchar_t in1[] = L"brw://{S-1}/C:/a.nsf/1a2";
    wchar_t in2[] = L"brw://{S-1}/C:/a.nsf/1a3";
    wchar_t out[] = L"brw://{S-2}/C:/a.nsf/1";
    SEARCH_ITEM_CHANGE changes[4] = {{SEARCH_CHANGE_ADD, SEARCH_NORMAL_PRIORITY, nullptr, in1, nullptr},
                                     {SEARCH_CHANGE_DELETE, SEARCH_HIGH_PRIORITY, nullptr, in2, nullptr},
                                     {SEARCH_CHANGE_ADD, SEARCH_NORMAL_PRIORITY, nullptr, out, nullptr},
                                     {SEARCH_CHANGE_ADD, SEARCH_NORMAL_PRIORITY, nullptr, nullptr, nullptr}};
    DWORD ids[4] = {7, 7, 7, 7};
    HRESULT codes[4] = {E_FAIL, E_FAIL, E_FAIL, E_FAIL};
    ASSERT_EQ(S_OK, sink->OnItemsChanged(4, changes, ids, codes));
    EXPECT_EQ(S_OK, codes[0]);
    EXPECT_EQ(S_OK, codes[1]);
    EXPECT_EQ(GTHR_E_URL_EXCLUDED, codes[2]);
    EXPECT_EQ(E_INVALIDARG, codes[3]);
    EXPECT_NE(0u, ids[0]);
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_EQ(0u, ids[2]);
    LONG incremental = -1, normal = -1, high = -1;
    ASSERT_EQ(S_OK, catalog_->NumberOfItemsToIndex(&incremental, &normal, &high));
    EXPECT_EQ(1, normal);
    EXPECT_EQ(1, high);
    EXPECT_EQ(E_POINTER, sink->OnItemsChanged(1, changes, nullptr, codes));
    EXPECT_EQ(S_OK, sink->OnItemsChanged(0, nullptr, nullptr, nullptr));
}

} // namespace
} // namespace brwtest
