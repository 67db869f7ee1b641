#include "platform/winsearch/core/CrawlScope.h"

#include "common/WideString.h"
#include "platform/winsearch/core/StateFile.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>

namespace brw::winsearch {

namespace {

std::wstring Normalized(const std::wstring& url)
{
    std::wstring text = url;
    while (!text.empty() && (text.back() == L'/' || text.back() == L'\\')) {
        text.pop_back();
    }
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(c));
    }
    return text;
}

bool SameUrl(const std::wstring& a, const std::wstring& b)
{
    return Normalized(a) == Normalized(b);
}

bool GlobMatch(const wchar_t* pattern, const wchar_t* text)
{
    // Iterative '*' matching with one backtrack point: linear enough for URLs.
    const wchar_t* star = nullptr;
    const wchar_t* resume = nullptr;
    while (*text) {
        if (*pattern == L'*') {
            star = pattern++;
            resume = text;
        } else if (std::towlower(*pattern) == std::towlower(*text)) {
            ++pattern;
            ++text;
        } else if (star) {
            pattern = star + 1;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == L'*') {
        ++pattern;
    }
    return *pattern == L'\0';
}

bool IsBoundary(wchar_t c)
{
    return c == L'/' || c == L'\\' || c == L'#';
}

unsigned long ParseNumber(const std::wstring& text)
{
    return std::wcstoul(text.c_str(), nullptr, 10);
}

} // namespace

bool IsAcceptableUrl(const wchar_t* url) noexcept
{
    if (!url || !*url) {
        return false;
    }
    size_t length = 0;
    for (const wchar_t* p = url; *p; ++p) {
        if (++length > kMaxUrlLength || *p < 0x20) {
            return false;
        }
    }
    return true;
}

bool IsSameOrBelow(const std::wstring& parent, const std::wstring& url)
{
    const std::wstring p = Normalized(parent);
    const std::wstring u = Normalized(url);
    if (u.compare(0, p.size(), p) != 0) {
        return false;
    }
    // "brw:" (from "brw://") covers every brw URL: its boundary is the slash
    // the normalization took away.
    return u.size() == p.size() || IsBoundary(u[p.size()]) || (!p.empty() && p.back() == L':');
}

bool RuleCovers(const std::wstring& rule, const std::wstring& url)
{
    if (rule.find(L'*') != std::wstring::npos) {
        return GlobMatch(rule.c_str(), url.c_str());
    }
    return IsSameOrBelow(rule, url);
}

void CrawlScope::AddRoot(const RootEntry& root)
{
    for (RootEntry& existing : roots_) {
        if (SameUrl(existing.url, root.url)) {
            existing = root;
            return;
        }
    }
    roots_.push_back(root);
}

bool CrawlScope::RemoveRoot(const std::wstring& url)
{
    const auto root =
        std::find_if(roots_.begin(), roots_.end(), [&](const RootEntry& entry) { return SameUrl(entry.url, url); });
    if (root == roots_.end()) {
        return false;
    }
    roots_.erase(root);
    rules_.erase(std::remove_if(rules_.begin(), rules_.end(),
                                [&](const RuleEntry& rule) { return IsSameOrBelow(url, rule.url); }),
                 rules_.end());
    return true;
}

const RootEntry* CrawlScope::FindRoot(const std::wstring& url) const
{
    for (const RootEntry& root : roots_) {
        if (SameUrl(root.url, url)) {
            return &root;
        }
    }
    return nullptr;
}

void CrawlScope::AddRule(const RuleEntry& rule, bool overrideChildren)
{
    rules_.erase(std::remove_if(rules_.begin(), rules_.end(),
                                [&](const RuleEntry& existing) {
                                    if (existing.isDefault != rule.isDefault) {
                                        return false;
                                    }
                                    return SameUrl(existing.url, rule.url) ||
                                           (overrideChildren && IsSameOrBelow(rule.url, existing.url));
                                }),
                 rules_.end());
    rules_.push_back(rule);
}

bool CrawlScope::RemoveRule(const std::wstring& url, bool isDefault)
{
    const size_t before = rules_.size();
    rules_.erase(
        std::remove_if(rules_.begin(), rules_.end(),
                       [&](const RuleEntry& rule) { return rule.isDefault == isDefault && SameUrl(rule.url, url); }),
        rules_.end());
    return rules_.size() != before;
}

void CrawlScope::RevertToDefaultRules()
{
    rules_.erase(std::remove_if(rules_.begin(), rules_.end(), [](const RuleEntry& rule) { return !rule.isDefault; }),
                 rules_.end());
}

bool CrawlScope::IsIncluded(const std::wstring& url, CLUSION_REASON* reason) const
{
    const RuleEntry* best = nullptr;
    size_t bestLength = 0;
    for (const RuleEntry& rule : rules_) {
        if (!RuleCovers(rule.url, url)) {
            continue;
        }
        const size_t length = Normalized(rule.url).size();
        if (!best || length > bestLength || (length == bestLength && best->isDefault && !rule.isDefault)) {
            best = &rule;
            bestLength = length;
        }
    }
    if (reason) {
        *reason = !best ? CLUSIONREASON_UNKNOWNSCOPE : (best->isDefault ? CLUSIONREASON_DEFAULT : CLUSIONREASON_USER);
    }
    return best && best->include;
}

bool CrawlScope::HasParentRule(const std::wstring& url) const
{
    return std::any_of(rules_.begin(), rules_.end(),
                       [&](const RuleEntry& rule) { return !SameUrl(rule.url, url) && RuleCovers(rule.url, url); });
}

bool CrawlScope::HasChildRule(const std::wstring& url) const
{
    return std::any_of(rules_.begin(), rules_.end(),
                       [&](const RuleEntry& rule) { return !SameUrl(rule.url, url) && IsSameOrBelow(url, rule.url); });
}

std::wstring CrawlScope::Serialize() const
{
    std::wstring text = FormatText(L"version\t%lu\n", version_);
    for (const RootEntry& root : roots_) {
        text += FormatText(L"root\t%d\t%d\t%d\t%lu\t%lu\t%d\t%d\t%s\t%s\n", root.isHierarchical ? 1 : 0,
                           root.providesNotifications ? 1 : 0, root.useNotificationsOnly ? 1 : 0, root.enumerationDepth,
                           root.hostDepth, root.followDirectories ? 1 : 0, static_cast<int>(root.authenticationType),
                           root.schedule.c_str(), root.url.c_str());
    }
    for (const RuleEntry& rule : rules_) {
        text += FormatText(L"rule\t%d\t%d\t%lu\t%s\n", rule.include ? 1 : 0, rule.isDefault ? 1 : 0, rule.followFlags,
                           rule.url.c_str());
    }
    return text;
}

CrawlScope CrawlScope::Parse(const std::wstring& text)
{
    CrawlScope scope;
    for (const auto& fields : SplitRecords(text)) {
        if (fields.size() == 2 && fields[0] == L"version") {
            scope.version_ = ParseNumber(fields[1]);
        } else if (fields.size() == 10 && fields[0] == L"root" && IsAcceptableUrl(fields[9].c_str())) {
            RootEntry root;
            root.isHierarchical = fields[1] == L"1";
            root.providesNotifications = fields[2] == L"1";
            root.useNotificationsOnly = fields[3] == L"1";
            root.enumerationDepth = ParseNumber(fields[4]);
            root.hostDepth = ParseNumber(fields[5]);
            root.followDirectories = fields[6] == L"1";
            root.authenticationType = static_cast<AUTH_TYPE>(std::min<unsigned long>(ParseNumber(fields[7]), 2));
            root.schedule = fields[8];
            root.url = fields[9];
            scope.roots_.push_back(root);
        } else if (fields.size() == 5 && fields[0] == L"rule" && IsAcceptableUrl(fields[4].c_str())) {
            RuleEntry rule;
            rule.include = fields[1] == L"1";
            rule.isDefault = fields[2] == L"1";
            rule.followFlags = ParseNumber(fields[3]);
            rule.url = fields[4];
            scope.rules_.push_back(rule);
        }
    }
    return scope;
}

} // namespace brw::winsearch
