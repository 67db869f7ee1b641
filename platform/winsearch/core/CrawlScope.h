// The crawl scope of the catalogue: its roots and its scope rules, as saved
// by SaveAll, and the inclusion rules the indexer and the items-changed sink
// decide by.
#pragma once

#include <searchapi.h>

#include <string>
#include <vector>

namespace brw::winsearch {

// Longer URLs are refused everywhere, as Windows refuses URLs beyond
// INTERNET_MAX_URL_LENGTH.
constexpr size_t kMaxUrlLength = 2048;

// A URL that can be stored and compared: not empty, not too long, and no
// control characters (which would also break the state files).
bool IsAcceptableUrl(const wchar_t* url) noexcept;

struct RootEntry {
    std::wstring url;
    std::wstring schedule;
    BOOL isHierarchical = FALSE;
    BOOL providesNotifications = FALSE;
    BOOL useNotificationsOnly = FALSE;
    DWORD enumerationDepth = 0xFFFFFFFF;
    DWORD hostDepth = 0;
    BOOL followDirectories = TRUE;
    AUTH_TYPE authenticationType = eAUTH_TYPE_ANONYMOUS;
};

struct RuleEntry {
    std::wstring url; // a URL prefix, or a pattern with '*'
    bool include = true;
    bool isDefault = false;
    DWORD followFlags = FF_INDEXCOMPLEXURLS;
};

// True when url lies at or below rule: rules are prefixes, compared without
// case and without a trailing slash (the indexer trims those), that end at
// a path boundary; a rule with '*' is matched as a whole-URL pattern.
bool RuleCovers(const std::wstring& rule, const std::wstring& url);

// True when url is rule's URL or lies below it (same comparison as above,
// for deleting an item "and everything below it").
bool IsSameOrBelow(const std::wstring& parent, const std::wstring& url);

class CrawlScope {
public:
    const std::vector<RootEntry>& Roots() const noexcept { return roots_; }
    const std::vector<RuleEntry>& Rules() const noexcept { return rules_; }
    unsigned long Version() const noexcept { return version_; }
    void NextVersion() noexcept { ++version_; }

    // Replaces a root with the same URL.
    void AddRoot(const RootEntry& root);
    // Also removes the root's rules. False when there was no such root.
    bool RemoveRoot(const std::wstring& url);
    const RootEntry* FindRoot(const std::wstring& url) const;

    // Replaces a rule of the same kind (user or default) for the same URL;
    // overrideChildren also drops the rules of that kind below it.
    void AddRule(const RuleEntry& rule, bool overrideChildren);
    // False when no rule of that kind has the URL.
    bool RemoveRule(const std::wstring& url, bool isDefault);
    void RevertToDefaultRules();

    // The most specific rule decides; a user rule beats a default rule for
    // the same URL; no rule at all means excluded.
    bool IsIncluded(const std::wstring& url, CLUSION_REASON* reason = nullptr) const;
    bool HasParentRule(const std::wstring& url) const;
    bool HasChildRule(const std::wstring& url) const;

    std::wstring Serialize() const;
    // Unreadable lines are skipped: a damaged file loses those entries only.
    static CrawlScope Parse(const std::wstring& text);

private:
    std::vector<RootEntry> roots_;
    std::vector<RuleEntry> rules_;
    unsigned long version_ = 0;
};

} // namespace brw::winsearch
