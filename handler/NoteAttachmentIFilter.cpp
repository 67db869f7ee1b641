#include "handler/NoteAttachmentIFilter.h"

#include "handler/PipeClient.h"
#include "handler/PropertyKeys.h"
#include "handler/ReplyFields.h"
#include "handler/Requests.h"

#include <new>

namespace brw {

const PropertyKeyEntry kAttachmentProperties[kAttachmentPropertyCount] = {
    kItemNameDisplayKey, kItemTypeKey, kAuthorKey, kKindKey, kSizeKey, kItemFolderPathDisplayNarrowKey,
    kDateModifiedKey, kIsAttachmentKey, kFileNameKey, kItemPathDisplayKey, kParsingNameKey, kPerceivedTypeKey};

namespace {

constexpr LONG kPerceivedTypeText = 1;

std::wstring ElementOr(const wchar_t* reply, const wchar_t* element, const wchar_t* fallback)
{
    std::wstring text(fallback);
    GetElementText(reply, element, &text, 1);
    return text;
}

HRESULT ComputeEntry(ULONG index, const wchar_t* reply, const std::wstring& noteId, unsigned short number,
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
        return ComputeEntry(index, reply, noteId, attachmentNumber, value);
    } catch (const std::bad_alloc&) {
        ::PropVariantClear(value);
        return E_OUTOFMEMORY;
    }
}

CNoteAttachmentIFilter::CNoteAttachmentIFilter() noexcept
    : ChunkFilter(kAttachmentProperties, kAttachmentPropertyCount)
{
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
    Restart();
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

HRESULT CNoteAttachmentIFilter::ComputeProperty(ULONG index, PROPVARIANT* value)
{
    return ComputeAttachmentProperty(index, reply_->Text(), noteId_, attachmentNumber_, value);
}

bool CNoteAttachmentIFilter::LoadByPath()
{
    ComPtr<IPersistFile> persist;
    if (FAILED(contentFilter_.As(&persist))) {
        return false;
    }
    if (SUCCEEDED(persist->Load(diskFilePath_.c_str(), STGM_READ))) {
        InitContent(contentFilter_);
    }
    return true;
}

bool CNoteAttachmentIFilter::OpenContent()
{
    std::wstring path;
    if (!GetElementText(reply_->Text(), L"diskfilename", &path, 1) || path.empty()) {
        return false;
    }
    diskFilePath_ = path;
    return LoadByPath() || LoadContentStream(contentFilter_, diskFilePath_, contentStream_);
}

} // namespace brw
