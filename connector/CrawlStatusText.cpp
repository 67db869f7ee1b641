#include "connector/CrawlStatusText.h"

#include "connector/TrayIcon.h"

#include <cwchar>

namespace brw {
namespace {

constexpr wchar_t kIndexingPrefix[] = L" \u2014 indexing ";
constexpr wchar_t kUpToDate[] = L" \u2014 up to date";
constexpr wchar_t kSentSuffix[] = L" documents sent";
constexpr size_t kGroupSize = 3;

std::wstring IndexingText(const std::wstring& name, DWORD sent)
{
    return std::wstring(kTrayTip) + kIndexingPrefix + name + L", " + GroupedCount(sent) + kSentSuffix;
}

std::wstring FileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

std::wstring GroupedCount(DWORD count)
{
    const std::wstring digits = std::to_wstring(count);
    std::wstring grouped;
    for (size_t index = 0; index < digits.size(); ++index) {
        if (index > 0 && (digits.size() - index) % kGroupSize == 0) {
            grouped += L',';
        }
        grouped += digits[index];
    }
    return grouped;
}

std::wstring CrawlTipText(const BRWCrawlStatus& status)
{
    switch (status.state) {
    case BRWCrawlUpToDate:
        return std::wstring(kTrayTip) + kUpToDate;
    case BRWCrawlIndexing: {
        const std::wstring path(status.database, wcsnlen(status.database, ARRAYSIZE(status.database)));
        std::wstring text = IndexingText(path, status.documentsSent);
        if (text.size() <= kTrayTipLimit) {
            return text;
        }
        std::wstring name = FileNameOf(path);
        const size_t rest = IndexingText(L"", status.documentsSent).size();
        if (rest + name.size() > kTrayTipLimit) {
            name = name.substr(name.size() - (kTrayTipLimit - rest));
        }
        return IndexingText(name, status.documentsSent);
    }
    default:
        return kTrayTip;
    }
}

} // namespace brw
