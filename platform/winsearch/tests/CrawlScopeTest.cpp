// Inclusion rules and the saved form of the crawl scope.
#include "platform/winsearch/core/CrawlScope.h"

#include <gtest/gtest.h>

namespace brw::winsearch {
namespace {

RuleEntry Rule(const wchar_t* url, bool include, bool isDefault)
{
    RuleEntry rule;
    rule.url = url;
    rule.include = include;
    rule.isDefault = isDefault;
    return rule;
}

TEST(CrawlScope, RulesCoverTheirUrlAndBelowOnlyAtPathBoundaries)
{
    EXPECT_TRUE(RuleCovers(L"brw://{S-1}/", L"brw://{S-1}"));
    EXPECT_TRUE(RuleCovers(L"brw://{S-1}/", L"brw://{S-1}/C:/a.nsf/1a2"));
    EXPECT_TRUE(RuleCovers(L"BRW://{s-1}/", L"brw://{S-1}/x")) << "compared without case";
    EXPECT_TRUE(RuleCovers(L"brw://{S-1}/a.nsf/12", L"brw://{S-1}/a.nsf/12#1#x.doc"));
    EXPECT_FALSE(RuleCovers(L"brw://{S-1}/a", L"brw://{S-1}/ab")) << "a prefix that splits a name";
    EXPECT_FALSE(RuleCovers(L"brw://{S-1}/", L"brw://{S-2}/x"));
    EXPECT_TRUE(RuleCovers(L"brw://", L"brw://{S-9}/x")) << "a scheme rule covers the scheme";
    EXPECT_TRUE(RuleCovers(L"file:///C:/data/*.txt", L"file:///C:/data/sub/a.TXT"));
    EXPECT_FALSE(RuleCovers(L"file:///C:/data/*.txt", L"file:///C:/data/a.txt.bak"));
}

TEST(CrawlScope, MostSpecificRuleDecidesAndUserRulesBeatDefaults)
{
    CrawlScope scope;
    EXPECT_FALSE(scope.IsIncluded(L"brw://x/")) << "no rule means excluded";
    scope.AddRule(Rule(L"brw://x/", true, true), false);
    scope.AddRule(Rule(L"brw://x/private/", false, true), false);
    CLUSION_REASON reason = CLUSIONREASON_UNKNOWNSCOPE;
    EXPECT_TRUE(scope.IsIncluded(L"brw://x/a", &reason));
    EXPECT_EQ(CLUSIONREASON_DEFAULT, reason);
    EXPECT_FALSE(scope.IsIncluded(L"brw://x/private/a"));
    scope.AddRule(Rule(L"brw://x/private", true, false), false);
    EXPECT_TRUE(scope.IsIncluded(L"brw://x/private/a", &reason)) << "user rule for the same URL wins";
    EXPECT_EQ(CLUSIONREASON_USER, reason);
    scope.RevertToDefaultRules();
    EXPECT_FALSE(scope.IsIncluded(L"brw://x/private/a"));
}

TEST(CrawlScope, OverrideChildrenDropsTheRulesBelow)
{
    CrawlScope scope;
    scope.AddRule(Rule(L"brw://x/a/", false, false), false);
    scope.AddRule(Rule(L"brw://x/", true, false), true);
    EXPECT_TRUE(scope.IsIncluded(L"brw://x/a/b"));
    EXPECT_EQ(1u, scope.Rules().size());
}

TEST(CrawlScope, RootsAreReplacedByUrlAndTakeTheirRulesAlong)
{
    CrawlScope scope;
    RootEntry root;
    root.url = L"brw://{S-1}/";
    scope.AddRoot(root);
    root.url = L"BRW://{S-1}";
    root.providesNotifications = TRUE;
    scope.AddRoot(root);
    ASSERT_EQ(1u, scope.Roots().size()) << "a second root for the same URL replaces the first";
    EXPECT_TRUE(scope.Roots()[0].providesNotifications);
    scope.AddRule(Rule(L"brw://{S-1}/", true, true), false);
    scope.AddRule(Rule(L"brw://{S-2}/", true, true), false);
    EXPECT_TRUE(scope.RemoveRoot(L"brw://{S-1}/"));
    EXPECT_FALSE(scope.RemoveRoot(L"brw://{S-1}/"));
    EXPECT_FALSE(scope.IsIncluded(L"brw://{S-1}/a"));
    EXPECT_TRUE(scope.IsIncluded(L"brw://{S-2}/a"));
}

TEST(CrawlScope, SavedFormRoundTripsAndSkipsDamagedLines)
{
    CrawlScope scope;
    RootEntry root;
    root.url = L"brw://{S-1}/";
    root.useNotificationsOnly = TRUE;
    root.enumerationDepth = 7;
    scope.AddRoot(root);
    scope.AddRule(Rule(L"brw://{S-1}/", true, true), false);
    scope.NextVersion();
    const CrawlScope read = CrawlScope::Parse(scope.Serialize() + L"root\t1\tbroken\nrule\t1\n\n");
    ASSERT_EQ(1u, read.Roots().size());
    EXPECT_EQ(L"brw://{S-1}/", read.Roots()[0].url);
    EXPECT_TRUE(read.Roots()[0].useNotificationsOnly);
    EXPECT_EQ(7u, read.Roots()[0].enumerationDepth);
    EXPECT_EQ(1u, read.Rules().size());
    EXPECT_EQ(1u, read.Version());
}

TEST(CrawlScope, UnacceptableUrlsAreRefused)
{
    EXPECT_FALSE(IsAcceptableUrl(nullptr));
    EXPECT_FALSE(IsAcceptableUrl(L""));
    EXPECT_FALSE(IsAcceptableUrl(L"brw://a\tb"));
    EXPECT_FALSE(IsAcceptableUrl(L"brw://a\nb"));
    EXPECT_TRUE(IsAcceptableUrl(std::wstring(kMaxUrlLength, L'a').c_str()));
    EXPECT_FALSE(IsAcceptableUrl(std::wstring(kMaxUrlLength + 1, L'a').c_str()));
}

} // namespace
} // namespace brw::winsearch
