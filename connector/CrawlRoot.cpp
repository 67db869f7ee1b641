#include "connector/CrawlRoot.h"

#include "common/CrawlRootAddition.h"
#include "connector/UserIdentity.h"

#include <new>

namespace brw {
namespace {

// Failures before the save are the catalogue's business, not the
// connector's: the registration counts as done and the connector serves on.
HRESULT RegisterUrl(const wchar_t* url) noexcept
{
    const HRESULT saved = AddCrawlRootUnlessIncluded(url).save;
    return SUCCEEDED(saved) ? S_OK : saved;
}

} // namespace

std::wstring CrawlRootUrl(const std::wstring& identity)
{
    return kCrawlRootScheme + identity + L"/";
}

HRESULT RegisterCrawlRoot() noexcept
{
    wchar_t identity[kUserIdentityCapacity];
    const int status = UserIdentityText(identity);
    if (status != 0) {
        return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
    }
    try {
        const std::wstring url = CrawlRootUrl(identity);
        return RegisterUrl(url.c_str());
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace brw
