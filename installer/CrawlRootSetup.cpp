#include "installer/CrawlRootSetup.h"

#include "common/CrawlRootAddition.h"
#include "handler/protocol/BrwUrl.h"

#include <cstddef>

namespace brw {
namespace {

// The longest SID text: "S-1-" + a 48-bit authority + 15 sub-authorities.
constexpr std::size_t kMaxSidText = 184;

} // namespace

bool IsSidText(const std::wstring& text)
{
    if (text.size() < 5 || text.size() > kMaxSidText || text.compare(0, 4, L"S-1-") != 0) {
        return false;
    }
    bool digitBefore = false;
    for (std::size_t i = 4; i < text.size(); ++i) {
        if (text[i] == L'-') {
            if (!digitBefore) {
                return false;
            }
            digitBefore = false;
        } else if (text[i] >= L'0' && text[i] <= L'9') {
            digitBefore = true;
        } else {
            return false;
        }
    }
    return digitBefore;
}

std::wstring UserCrawlRootUrl(const std::wstring& sid)
{
    // The identity text is "{" + SID + "}", as the connector writes it.
    return std::wstring(kBrwScheme) + L"{" + sid + L"}/";
}

HRESULT AddCrawlRoot(const std::wstring& url) noexcept
{
    // Here every failure counts: the installation reports it.
    const CrawlRootAddition added = AddCrawlRootUnlessIncluded(url.c_str());
    return FAILED(added.beforeSave) ? added.beforeSave : added.save;
}

} // namespace brw
