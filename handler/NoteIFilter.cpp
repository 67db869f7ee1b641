#include "handler/NoteIFilter.h"

#include "handler/BrwUrl.h"
#include "handler/NoteProperties.h"
#include "handler/PipeClient.h"
#include "handler/ReplyFields.h"
#include "handler/Requests.h"

#include <shlwapi.h>

#include <new>

namespace brw {

CNoteIFilter::~CNoteIFilter()
{
    // The stream and the filter reading it keep the body file open; it can
    // only be deleted once they are gone.
    bodyFilter_.reset();
    bodyStream_.reset();
    reply_.reset();
    DeleteIfReadOnly(bodyPath_);
}

HRESULT CNoteIFilter::InitializeNote(const std::wstring& identity, const std::wstring& databasePath,
                                     const std::wstring& noteId, IFilter* bodyFilter) noexcept
{
    state_ = kProperties;
    propertyIndex_ = 0;
    try {
        identity_ = identity;
        databasePath_ = databasePath;
        noteId_ = noteId;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    attachmentNumber_ = 1;
    reply_.reset(new (std::nothrow) PipeReply);
    if (!reply_) {
        return kConnectorUnavailable;
    }
    bodyFilter_ = ComPtr<IFilter>(bodyFilter);
    return RequestDocument(reply_.get(), databasePath_, noteId_, 0, false, false);
}

IFACEMETHODIMP CNoteIFilter::Init(ULONG grfFlags, ULONG, const FULLPROPSPEC*, ULONG*)
{
    state_ = kProperties;
    propertyIndex_ = 0;
    initFlags_ = grfFlags;
    return S_OK;
}

void CNoteIFilter::StartBody()
{
    state_ = kAttachments;
    std::wstring path;
    if (!bodyFilter_ || !GetElementText(reply_->Text(), L"rtf", &path, 1) || path.empty()) {
        return;
    }
    bodyPath_ = path;
    if (FAILED(::SHCreateStreamOnFileEx(path.c_str(), STGM_READ, 0, FALSE, nullptr, bodyStream_.put()))) {
        return;
    }
    state_ = kBody;
    ComPtr<IPersistStream> persist;
    if (SUCCEEDED(bodyFilter_.As(&persist)) && SUCCEEDED(persist->Load(bodyStream_.get()))) {
        ULONG flags = 0;
        bodyFilter_->Init(initFlags_, 0, nullptr, &flags);
    }
}

HRESULT CNoteIFilter::NextAttachment(STAT_CHUNK* pStat, bool* ready)
{
    std::wstring name;
    if (attachmentNumber_ > 0xFFFF ||
        !GetElementText(reply_->Text(), L"originalfilename", &name, static_cast<unsigned short>(attachmentNumber_))) {
        state_ = kDone;
        return S_OK;
    }
    const int number = static_cast<int>(attachmentNumber_++);
    const HRESULT hr =
        SetUrlToIndexValue(chunks_.Value(), MakeAttachmentUrl(identity_, databasePath_, noteId_, number, name));
    if (FAILED(hr)) {
        return hr;
    }
    chunks_.Stamp(pStat, kUrlToIndexWithModificationTime);
    *ready = true;
    return S_OK;
}

IFACEMETHODIMP CNoteIFilter::GetChunk(STAT_CHUNK* pStat)
{
    if (!pStat) {
        return E_POINTER;
    }
    HRESULT hr = chunks_.ClearValue();
    if (FAILED(hr)) {
        return hr;
    }
    if (!reply_) {
        return FILTER_E_END_OF_CHUNKS; // made by its class factory alone: nothing to filter
    }
    try {
        for (bool ready = false; !ready;) {
            switch (state_) {
            case kProperties:
                if (propertyIndex_ >= kNotePropertyCount) {
                    StartBody();
                    break;
                }
                hr = ComputeNoteProperty(propertyIndex_, reply_->Text(), noteId_, chunks_.Value());
                if (FAILED(hr)) {
                    return hr;
                }
                chunks_.Stamp(pStat, kNoteProperties[propertyIndex_++]);
                ready = true;
                break;
            case kBody:
                hr = bodyFilter_ ? bodyFilter_->GetChunk(pStat) : FILTER_E_END_OF_CHUNKS;
                if (SUCCEEDED(hr) && hr != FILTER_E_END_OF_CHUNKS) {
                    return hr;
                }
                state_ = kAttachments;
                break;
            case kAttachments:
                hr = NextAttachment(pStat, &ready);
                if (FAILED(hr)) {
                    return hr;
                }
                break;
            case kDone: return FILTER_E_END_OF_CHUNKS;
            default: return E_UNEXPECTED;
            }
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

IFACEMETHODIMP CNoteIFilter::GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer)
{
    if (state_ == kBody && bodyFilter_) {
        return bodyFilter_->GetText(pcwcBuffer, awcBuffer);
    }
    return E_FAIL;
}

IFACEMETHODIMP CNoteIFilter::GetValue(PROPVARIANT** ppPropValue)
{
    if (state_ == kBody) {
        return bodyFilter_ ? bodyFilter_->GetValue(ppPropValue) : E_FAIL;
    }
    return chunks_.TakeValue(ppPropValue);
}

IFACEMETHODIMP CNoteIFilter::BindRegion(FILTERREGION, REFIID, void**)
{
    return E_NOTIMPL;
}

HRESULT CNoteIFilter::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {QITABENT(CNoteIFilter, IFilter), {}};
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
