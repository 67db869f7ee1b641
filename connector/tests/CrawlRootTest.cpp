// The user identity text, and the crawl root's registration against the
// Windows Search stand-in: what a first registration leaves in the crawl
// scope, that a later one changes nothing, that a catalogue which cannot be
// reached or asked never stops the connector, and that a failed save does.
#include "connector/CrawlRoot.h"

#include "common/ComHolders.h"
#include "common/Handles.h"
#include "common/SearchCatalogue.h"
#include "connector/UserIdentity.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <sddl.h>
#include <searchapi.h>

#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>

namespace {

using brw::ComPtr;

// The stand-in keeps the saved crawl scope in this file of its state folder.
constexpr wchar_t kScopeFile[] = L"scope.txt";

// The SID of the token's user, read with a fixed buffer rather than the
// size-first way the product uses.
std::wstring TokenUserSid()
{
    brw::KernelHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) {
        return {};
    }
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer{};
    DWORD size = 0;
    wchar_t* text = nullptr;
    if (!GetTokenInformation(token.get(), TokenUser, &buffer, sizeof(buffer), &size) ||
        !ConvertSidToStringSidW(buffer.user.User.Sid, &text)) {
        return {};
    }
    std::wstring sid = text;
    LocalFree(text);
    return sid;
}

TEST(UserIdentityTest, IsTheTokenUsersSidInBracesAndNamesTheCrawlRoot)
{
    const std::wstring sid = TokenUserSid();
    ASSERT_FALSE(sid.empty());
    wchar_t buffer[brw::kUserIdentityCapacity];
    std::wmemset(buffer, L'#', brw::kUserIdentityCapacity);

    ASSERT_EQ(0, brw::UserIdentityText(buffer));
    const size_t length = wcsnlen(buffer, brw::kUserIdentityCapacity);
    ASSERT_LT(length, brw::kUserIdentityCapacity) << "not terminated inside the buffer";
    EXPECT_EQ(std::wstring(buffer, length), L"{" + sid + L"}");
    EXPECT_EQ(brw::UserIdentity(), L"{" + sid + L"}");
    EXPECT_EQ(brw::CrawlRootUrl(brw::UserIdentity()), L"brw://{" + sid + L"}/");
}

TEST(UserIdentityTest, FormattingIsCutAtTheLastCharacterOfTheBuffer)
{
    struct Guarded {
        wchar_t text[brw::kUserIdentityCapacity];
        wchar_t guard[4];
    } out{};
    std::wmemset(out.guard, L'!', 4);

    const std::wstring fits(253, L'7');
    brw::FormatUserIdentity(fits.c_str(), out.text);
    EXPECT_EQ(std::wstring(out.text), L"{" + fits + L"}") << "exactly 255 characters";

    const std::wstring tooLong(400, L'7');
    brw::FormatUserIdentity(tooLong.c_str(), out.text);
    EXPECT_EQ(std::wstring(out.text), L"{" + tooLong.substr(0, 254)) << "the closing brace is what goes";
    EXPECT_EQ(L"!!!!", std::wstring(out.guard, 4));

    brw::FormatUserIdentity(nullptr, out.text);
    EXPECT_EQ(L"{}", std::wstring(out.text));
}

class ComApartment {
public:
    ComApartment() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment()
    {
        if (SUCCEEDED(hr_)) {
            CoUninitialize();
        }
    }
    HRESULT Result() const { return hr_; }

private:
    HRESULT hr_;
};

// The 32-bit stand-in's classes, registered in the prefix for the life of
// the holder. Every case registers and unregisters its own, so the cases do
// not depend on their order.
class StandInRegistration : public brwtest::ServerRegistration {
public:
    StandInRegistration() : ServerRegistration(brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll"))
    {
    }
};

// Names the stand-in's state folder in this process's environment (which
// the programs it starts inherit) until the holder goes.
class StateFolderVariable {
public:
    explicit StateFolderVariable(const std::wstring& folder)
    {
        SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, folder.c_str());
    }
    ~StateFolderVariable() { SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr); }
};

struct RootSeen {
    int count = 0;
    BOOL providesNotifications = FALSE;
    BOOL isHierarchical = FALSE;
    BOOL useNotificationsOnly = FALSE;
    BOOL followDirectories = FALSE;
};

class CrawlRootTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(com_.Result());
        ASSERT_HRESULT_SUCCEEDED(standIn_.Result());
        ASSERT_FALSE(brw::UserIdentity().empty());
    }

    // A manager of its own each time, so answers come from what was saved.
    static HRESULT OpenScope(ComPtr<ISearchCrawlScopeManager>& scope) { return brw::OpenSystemCrawlScope(scope); }

    static bool IsIncluded(const std::wstring& url)
    {
        ComPtr<ISearchCrawlScopeManager> scope;
        BOOL included = FALSE;
        return SUCCEEDED(OpenScope(scope)) && SUCCEEDED(scope->IncludedInCrawlScope(url.c_str(), &included)) &&
               included;
    }

    // The roots with this URL, and the properties of the last one.
    static RootSeen FindRoot(const std::wstring& url)
    {
        RootSeen seen;
        ComPtr<ISearchCrawlScopeManager> scope;
        ComPtr<IEnumSearchRoots> roots;
        if (FAILED(OpenScope(scope)) || FAILED(scope->EnumerateRoots(roots.put()))) {
            return seen;
        }
        ComPtr<ISearchRoot> root;
        while (roots->Next(1, root.put(), nullptr) == S_OK) {
            brw::CoTaskMemPtr<wchar_t> rootUrl;
            if (SUCCEEDED(root->get_RootURL(rootUrl.put())) && url == rootUrl.get()) {
                ++seen.count;
                root->get_ProvidesNotifications(&seen.providesNotifications);
                root->get_IsHierarchical(&seen.isHierarchical);
                root->get_UseNotificationsOnly(&seen.useNotificationsOnly);
                root->get_FollowDirectories(&seen.followDirectories);
            }
        }
        return seen;
    }

    std::string SavedScope() const
    {
        std::ifstream file((state_ + L"\\" + kScopeFile).c_str(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    ComApartment com_;
    brwtest::ScratchFolder scratch_{L"brwcrawlroot"};
    std::wstring state_ = scratch_.Sub(L"state");
    StateFolderVariable variable_{state_};
    StandInRegistration standIn_;
    std::wstring url_ = brw::CrawlRootUrl(brw::UserIdentity());
};

TEST_F(CrawlRootTest, FirstRegistrationAddsANotifyingTreeRootAndIncludesIt)
{
    ASSERT_FALSE(IsIncluded(url_));

    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());

    EXPECT_TRUE(IsIncluded(url_));
    EXPECT_TRUE(IsIncluded(url_ + L"mail\\archive.nsf/000008F6")) << "the rule covers the whole tree";
    EXPECT_FALSE(IsIncluded(L"brw://{S-1-5-21-1-2-3-4242}/")) << "another user's root is not this one's";
    const RootSeen root = FindRoot(url_);
    EXPECT_EQ(1, root.count);
    EXPECT_TRUE(root.providesNotifications);
    EXPECT_TRUE(root.isHierarchical);
    EXPECT_FALSE(root.useNotificationsOnly) << "the indexer also crawls the root itself";
    EXPECT_TRUE(root.followDirectories);
}

TEST_F(CrawlRootTest, LaterRegistrationFindsTheRootIncludedAndSavesNothing)
{
    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());
    const std::string saved = SavedScope();
    ASSERT_NE(saved.find("version"), std::string::npos);

    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());

    // Every save counts the scope's version up, so an unchanged file means
    // that nothing was saved.
    EXPECT_EQ(SavedScope(), saved);
    EXPECT_EQ(1, FindRoot(url_).count);
}

TEST_F(CrawlRootTest, RootAlreadyIncludedKeepsTheSettingsItWasGiven)
{
    brwtest::ProcessSpec admin;
    admin.commandLine = brwtest::Quoted(brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchAdmin.exe")) +
                        L" addroot " + url_ + L" --notifications-only";
    brwtest::RunningProcess process(admin);
    const brwtest::ProcessResult added = process.Wait(60000);
    ASSERT_EQ(0u, added.exitCode) << added.output;

    ASSERT_EQ(S_OK, brw::RegisterCrawlRoot());

    const RootSeen root = FindRoot(url_);
    EXPECT_EQ(1, root.count);
    EXPECT_TRUE(root.useNotificationsOnly) << "the root was replaced";
}

TEST_F(CrawlRootTest, FailedSaveFailsTheRegistration)
{
    // An empty scope that anyone may read but, while this handle is open,
    // nobody may replace: the save has to give up.
    ASSERT_TRUE(CreateDirectoryW(state_.c_str(), nullptr));
    const std::wstring scopeFile = state_ + L"\\" + kScopeFile;
    brw::FileHandle held(CreateFileW(scopeFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                     CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(held);

    EXPECT_TRUE(FAILED(brw::RegisterCrawlRoot()));
    held.reset();
    EXPECT_FALSE(IsIncluded(url_));
}

TEST_F(CrawlRootTest, ScopeThatCannotBeAskedIsLeftAloneAndCountsAsDone)
{
    // A folder where the scope file belongs: reading the scope fails, and so
    // would any save over it.
    ASSERT_TRUE(CreateDirectoryW(state_.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((state_ + L"\\" + kScopeFile).c_str(), nullptr));

    EXPECT_EQ(S_OK, brw::RegisterCrawlRoot());
}

TEST_F(CrawlRootTest, CatalogueThatCannotBeOpenedCountsAsDone)
{
    // A state folder below a file cannot be made, so GetCatalog fails.
    const std::wstring blocker = scratch_.Sub(L"file");
    brw::FileHandle file(CreateFileW(blocker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(file);
    file.reset();
    StateFolderVariable unusable(blocker + L"\\state");

    EXPECT_EQ(S_OK, brw::RegisterCrawlRoot());
}

TEST_F(CrawlRootTest, NoSearchManagerCountsAsDone)
{
    ASSERT_HRESULT_SUCCEEDED(standIn_.Unregister());
    ComPtr<ISearchManager> manager;
    ASSERT_EQ(REGDB_E_CLASSNOTREG,
              CoCreateInstance(CLSID_CSearchManager, nullptr, CLSCTX_ALL, IID_ISearchManager, manager.put_void()));

    EXPECT_EQ(S_OK, brw::RegisterCrawlRoot());
}

} // namespace
