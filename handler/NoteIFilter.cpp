#include "handler/NoteIFilter.h"

#include "handler/BrwUrl.h"
#include "handler/NoteProperties.h"
#include "handler/PipeClient.h"
#include "handler/ReplyFields.h"
#include "handler/Requests.h"

#include <new>

namespace brw {

CNoteIFilter::CNoteIFilter() noexcept : ChunkFilter(kNoteProperties, kNotePropertyCount) {}

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
    Restart();
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

HRESULT CNoteIFilter::ComputeProperty(ULONG index, PROPVARIANT* value)
{
    return ComputeNoteProperty(index, reply_->Text(), noteId_, value);
}

bool CNoteIFilter::OpenContent()
{
    std::wstring path;
    if (!bodyFilter_ || !GetElementText(reply_->Text(), L"rtf", &path, 1) || path.empty()) {
        return false;
    }
    bodyPath_ = path;
    return LoadContentStream(bodyFilter_, bodyPath_, bodyStream_);
}

bool CNoteIFilter::NextChildUrl(std::wstring* url)
{
    std::wstring name;
    if (attachmentNumber_ > 0xFFFF ||
        !GetElementText(reply_->Text(), L"originalfilename", &name, static_cast<unsigned short>(attachmentNumber_))) {
        return false;
    }
    const int number = static_cast<int>(attachmentNumber_++);
    *url = MakeAttachmentUrl(identity_, databasePath_, noteId_, number, name);
    return true;
}

} // namespace brw
