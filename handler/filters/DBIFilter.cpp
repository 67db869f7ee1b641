#include "handler/filters/DBIFilter.h"

#include "handler/pipe/PipeClient.h"
#include "handler/pipe/ReplyFields.h"
#include "handler/pipe/Requests.h"
#include "handler/protocol/BrwUrl.h"

#include <new>

namespace brw {

HRESULT CDBIFilter::InitializeDatabase(const std::wstring& identity, const std::wstring& databasePath) noexcept
{
    Restart();
    try {
        identity_ = identity;
        databasePath_ = databasePath;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    reply_.reset(new (std::nothrow) PipeReply);
    if (!reply_) {
        return E_OUTOFMEMORY;
    }
    HRESULT hr = RequestModifiedDocuments(reply_.get(), databasePath_, kSinceEverything);
    if (SUCCEEDED(hr) && !HoldsWholeList(reply_->View(), kDocumentListElement)) {
        hr = kConnectorUnavailable;
    }
    SetFetchResult(hr);
    return S_OK;
}

bool CDBIFilter::NextChildUrl(std::wstring* url)
{
    wchar_t id[9] = {};
    if (!reply_ || !NextDocumentId(reply_.get(), id)) {
        return false;
    }
    *url = MakeDocumentUrl(identity_, databasePath_, id);
    return true;
}

} // namespace brw
