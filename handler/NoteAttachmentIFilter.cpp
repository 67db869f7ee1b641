#include "handler/NoteAttachmentIFilter.h"

#include "handler/PipeClient.h"
#include "handler/PropertyKeys.h"
#include "handler/ReplyFields.h"
#include "handler/Requests.h"

#include <shlwapi.h>

#include <new>

namespace brw {

const PropertyKeyEntry kAttachmentProperties[kAttachmentPropertyCount] = {
    {kStorageFormat, 10},       // ItemNameDisplay
    {kItemFormat, 11},          // ItemType
    {kSummaryFormat, 4},        // Author
    {kKindFormat, 3},           // Kind
    {kStorageFormat, 12},       // Size
    {kFolderNarrowFormat, 100}, // ItemFolderPathDisplayNarrow
    {kStorageFormat, 14},       // DateModified
    {kIsAttachmentFormat, 100}, // IsAttachment
    {kFileNameFormat, 100},     // FileName
    {kMessageFormat, 7},        // ItemPathDisplay
    {kItemFormat, 24},          // ParsingName
    {kItemFormat, 9},           // PerceivedType
};

namespace {

constexpr LONG kPerceivedTypeText = 1;

std::wstring ElementOr(const wchar_t* reply, const wchar_t* element, const wchar_t* fallback)
{
    std::wstring text(fallback);
    GetElementText(reply, element, &text, 1);
    return text;
}

HRESULT ComputeProperty(ULONG index, const wchar_t* reply, const std::wstring& noteId, unsigned short number,
                        PROPVARIANT* value)
{
    switch (index) {
    case 0:
    case 8: return SetBstrValue(value, ElementOr(reply, L"originalfilename", L""));
    case 1: return SetBstrValue(value, L"BRW/Attachment");
    case 2: return SetBstrValue(value, L"unknown");
    case 3: return SetBstrValue(value, L"document");
    case 4: SetUi4Value(value, LeadingUnsigned(ElementOr(reply, L"attachmentfilesize", L"0"))); return S_OK;
    case 5: {
        const bool sent = !HasFieldValue(reply, L"DeliveredDate") && HasFieldValue(reply, L"PostedDate");
        return SetBstrValue(value, sent ? L"Sent (/Mail)" : L"Document Attachment");
    }
    case 6: {
        FILETIME time = {};
        if (GetDateField(reply, L"attachmentmodifiedtime", &time)) {
            SetFileTimeValue(value, time);
        }
        return S_OK;
    }
    case 7: SetBoolValue(value, true); return S_OK;
    case 9: return SetBstrValue(value, L"Document Attachment");
    case 10: return SetBstrValue(value, noteId + L"#" + std::to_wstring(number));
    case 11: SetI4Value(value, kPerceivedTypeText); return S_OK;
    default: return E_INVALIDARG;
    }
}

} // namespace

HRESULT ComputeAttachmentProperty(ULONG index, const wchar_t* reply, const std::wstring& noteId,
                                  unsigned short attachmentNumber, PROPVARIANT* value) noexcept
{
    if (!reply || !value) {
        return E_INVALIDARG;
    }
    try {
        return ComputeProperty(index, reply, noteId, attachmentNumber, value);
    } catch (const std::bad_alloc&) {
        ::PropVariantClear(value);
        return E_OUTOFMEMORY;
    }
}

CNoteAttachmentIFilter::~CNoteAttachmentIFilter()
{
    // The content filter may hold the file open; let go of it first.
    contentFilter_.reset();
    contentStream_.reset();
    reply_.reset();
    DeleteIfReadOnly(diskFilePath_);
}

HRESULT CNoteAttachmentIFilter::InitializeAttachment(const std::wstring& identity, const std::wstring& databasePath,
                                                     const std::wstring& noteId, unsigned short attachmentNumber,
                                                     IFilter* contentFilter) noexcept
{
    attachmentNumber_ = attachmentNumber;
    state_ = kProperties;
    propertyIndex_ = 0;
    if (!contentFilter) {
        return E_INVALIDARG;
    }
    try {
        identity_ = identity;
        noteId_ = noteId;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    reply_.reset(new (std::nothrow) PipeReply);
    if (!reply_) {
        return kConnectorUnavailable;
    }
    contentFilter_ = ComPtr<IFilter>(contentFilter);
    return RequestDocument(reply_.get(), databasePath, noteId_, attachmentNumber_, false);
}

IFACEMETHODIMP CNoteAttachmentIFilter::Init(ULONG grfFlags, ULONG, const FULLPROPSPEC*, ULONG*)
{
    state_ = kProperties;
    propertyIndex_ = 0;
    initFlags_ = grfFlags;
    return S_OK;
}

bool CNoteAttachmentIFilter::LoadByPath()
{
    ComPtr<IPersistFile> persist;
    if (FAILED(contentFilter_.As(&persist))) {
        return false;
    }
    if (SUCCEEDED(persist->Load(diskFilePath_.c_str(), STGM_READ))) {
        ULONG flags = 0;
        contentFilter_->Init(initFlags_, 0, nullptr, &flags);
    }
    return true;
}

bool CNoteAttachmentIFilter::LoadByStream()
{
    if (FAILED(::SHCreateStreamOnFileEx(diskFilePath_.c_str(), STGM_READ, 0, FALSE, nullptr, contentStream_.put()))) {
        return false;
    }
    ComPtr<IPersistStream> persist;
    if (SUCCEEDED(contentFilter_.As(&persist)) && SUCCEEDED(persist->Load(contentStream_.get()))) {
        ULONG flags = 0;
        contentFilter_->Init(initFlags_, 0, nullptr, &flags);
    }
    return true;
}

void CNoteAttachmentIFilter::LoadContent()
{
    state_ = kDone;
    std::wstring path;
    if (!GetElementText(reply_->Text(), L"diskfilename", &path, 1) || path.empty()) {
        return;
    }
    diskFilePath_ = path;
    if (LoadByPath() || LoadByStream()) {
        state_ = kContent;
    }
}

IFACEMETHODIMP CNoteAttachmentIFilter::GetChunk(STAT_CHUNK* pStat)
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
        for (;;) {
            switch (state_) {
            case kProperties:
                if (propertyIndex_ >= kAttachmentPropertyCount) {
                    LoadContent();
                    break;
                }
                hr = ComputeAttachmentProperty(propertyIndex_, reply_->Text(), noteId_, attachmentNumber_,
                                               chunks_.Value());
                if (FAILED(hr)) {
                    return hr;
                }
                chunks_.Stamp(pStat, kAttachmentProperties[propertyIndex_++]);
                return S_OK;
            case kContent:
                hr = contentFilter_->GetChunk(pStat);
                if (SUCCEEDED(hr)) {
                    return hr;
                }
                state_ = kDone;
                break;
            case kDone: return FILTER_E_END_OF_CHUNKS;
            default: return E_UNEXPECTED;
            }
        }
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

IFACEMETHODIMP CNoteAttachmentIFilter::GetText(ULONG* pcwcBuffer, WCHAR* awcBuffer)
{
    if (state_ == kContent) {
        return contentFilter_->GetText(pcwcBuffer, awcBuffer);
    }
    return E_FAIL;
}

IFACEMETHODIMP CNoteAttachmentIFilter::GetValue(PROPVARIANT** ppPropValue)
{
    if (state_ == kContent) {
        return contentFilter_->GetValue(ppPropValue);
    }
    return chunks_.TakeValue(ppPropValue);
}

IFACEMETHODIMP CNoteAttachmentIFilter::BindRegion(FILTERREGION, REFIID, void**)
{
    return E_NOTIMPL;
}

HRESULT CNoteAttachmentIFilter::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {QITABENT(CNoteAttachmentIFilter, IFilter), {}};
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
