#include "handler/filters/NotesIFilter.h"

#include "handler/pipe/Requests.h"
#include "handler/protocol/BrwUrl.h"

#include <memory>
#include <new>

namespace brw {

HRESULT CNotesIFilter::InitializeRoot(const std::wstring& identity) noexcept
{
    Restart();
    HRESULT hr = S_OK;
    try {
        identity_ = identity;
        std::unique_ptr<PipeReply> reply(new PipeReply);
        hr = RequestDatabaseList(reply.get(), &databases_);
    } catch (const std::bad_alloc&) {
        hr = E_OUTOFMEMORY;
    }
    if (FAILED(hr)) {
        databases_.Clear();
    }
    SetFetchResult(hr);
    return S_OK;
}

bool CNotesIFilter::NextChildUrl(std::wstring* url)
{
    const wchar_t* path = databases_.Item(nextDatabase_);
    if (!path) {
        return false;
    }
    ++nextDatabase_;
    *url = MakeDatabaseUrl(identity_, path);
    return true;
}

} // namespace brw
