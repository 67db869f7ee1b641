#include "handler/filters/NoteAttachmentIFilter.h"

#include "handler/filters/PropertyKeys.h"
#include "handler/pipe/PipeClient.h"
#include "handler/pipe/ReplyFields.h"
#include "handler/pipe/Requests.h"

#include <shtypes.h>

#include <new>

namespace brw {

const PropertyKeyEntry kAttachmentProperties[kAttachmentPropertyCount] = {kItemNameDisplayKey,
                                                                          kItemTypeKey,
                                                                          kAuthorKey,
                                                                          kKindKey,
                                                                          kSizeKey,
                                                                          kItemFolderPathDisplayNarrowKey,
                                                                          kDateModifiedKey,
                                                                          kIsAttachmentKey,
                                                                          kFileNameKey,
                                                                          kItemPathDisplayKey,
                                                                          kParsingNameKey,
                                                                          kPerceivedTypeKey};

namespace {

std::wstring ElementOr(std::wstring_view reply, const wchar_t* element, const wchar_t* fallback)
{
    std::wstring text(fallback);
    GetElementText(reply, element, &text, 1);
    return text;
}

HRESULT ComputeEntry(ULONG index, std::wstring_view reply, const std::wstring& noteId, unsigned short number,
                     PROPVARIANT* value)
{
    switch (index) {
    case 0:
    case 8:
        return SetBstrValue(value, ElementOr(reply, L"originalfilename", L""));
    case 1:
        return SetBstrValue(value, kAttachmentItemType);
    case 2:
        return SetBstrValue(value, L"unknown");
    case 3:
        return SetBstrValue(value, L"document");
    case 4:
        SetUi4Value(value, LeadingUnsigned(ElementOr(reply, L"attachmentfilesize", L"0")));
        return S_OK;
    // An attachment's reply carries none of its document's fields, so
    // whether the document was sent is not known here; asking for the
    // document as well would export its body once more per attachment. The
    // document's own item shows its folder.
    case 5:
        return SetBstrValue(value, kAttachmentFolder);
    case 6: {
        FILETIME time = {};
        if (GetDateField(reply, L"attachmentmodifiedtime", &time)) {
            SetFileTimeValue(value, time);
        }
        return S_OK;
    }
    case 7:
        SetBoolValue(value, true);
        return S_OK;
    case 9:
        return SetBstrValue(value, kAttachmentFolder);
    case 10:
        return SetBstrValue(value, noteId + L"#" + std::to_wstring(number));
    case 11:
        SetI4Value(value, PERCEIVED_TYPE_TEXT);
        return S_OK;
    default:
        return E_INVALIDARG;
    }
}

} // namespace

HRESULT ComputeAttachmentProperty(ULONG index, std::wstring_view reply, const std::wstring& noteId,
                                  unsigned short attachmentNumber, PROPVARIANT* value) noexcept
{
    if (!value) {
        return E_INVALIDARG;
    }
    try {
        return ComputeEntry(index, reply, noteId, attachmentNumber, value);
    } catch (const std::bad_alloc&) {
        PropVariantClear(value);
        return E_OUTOFMEMORY;
    }
}

CNoteAttachmentIFilter::CNoteAttachmentIFilter() noexcept : ChunkFilter(kAttachmentProperties, kAttachmentPropertyCount)
{
}

CNoteAttachmentIFilter::~CNoteAttachmentIFilter() = default;

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
    DocumentRequest what;
    what.attachmentNumber = attachmentNumber_;
    const HRESULT hr = RequestDocument(reply_.get(), databasePath, noteId_, what);
    if (FAILED(hr)) {
        return hr;
    }
    // Ours from here, whether or not the content is ever read.
    try {
        std::wstring path;
        GetElementText(reply_->View(), L"diskfilename", &path, 1);
        diskFile_.Adopt(path);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return hr;
}

HRESULT CNoteAttachmentIFilter::ComputeProperty(ULONG index, PROPVARIANT* value)
{
    return ComputeAttachmentProperty(index, reply_->View(), noteId_, attachmentNumber_, value);
}

bool CNoteAttachmentIFilter::LoadByPath()
{
    ComPtr<IPersistFile> persist;
    if (FAILED(contentFilter_.As(&persist))) {
        return false;
    }
    if (SUCCEEDED(persist->Load(diskFile_.Path().c_str(), STGM_READ))) {
        InitContent(contentFilter_);
    }
    return true;
}

bool CNoteAttachmentIFilter::OpenContent()
{
    if (diskFile_.Empty()) {
        return false;
    }
    return LoadByPath() || LoadContentStream(contentFilter_, diskFile_.Path(), contentStream_);
}

} // namespace brw
