#include "handler/filters/NoteIFilter.h"

#include "handler/filters/NoteProperties.h"
#include "handler/pipe/PipeClient.h"
#include "handler/pipe/ReplyFields.h"
#include "handler/pipe/Requests.h"
#include "handler/protocol/BrwUrl.h"

#include <new>

namespace brw {

CNoteIFilter::CNoteIFilter() noexcept : ChunkFilter(kNoteProperties, kNotePropertyCount) {}

CNoteIFilter::~CNoteIFilter() = default;

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
    const HRESULT hr = RequestDocument(reply_.get(), databasePath_, noteId_, DocumentRequest{});
    if (FAILED(hr)) {
        return hr;
    }
    // Ours from here, whether or not the body is ever read.
    try {
        std::wstring path;
        GetElementText(reply_->View(), L"rtf", &path, 1);
        bodyFile_.Adopt(path);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return hr;
}

HRESULT CNoteIFilter::ComputeProperty(ULONG index, PROPVARIANT* value)
{
    return ComputeNoteProperty(index, reply_->View(), noteId_, value);
}

bool CNoteIFilter::OpenContent()
{
    if (!bodyFilter_ || bodyFile_.Empty()) {
        return false;
    }
    return LoadContentStream(bodyFilter_, bodyFile_.Path(), bodyStream_);
}

bool CNoteIFilter::NextChildUrl(std::wstring* url)
{
    std::wstring name;
    if (attachmentNumber_ > 0xFFFF ||
        !GetElementText(reply_->View(), L"originalfilename", &name, static_cast<unsigned short>(attachmentNumber_))) {
        return false;
    }
    const int number = static_cast<int>(attachmentNumber_++);
    *url = MakeAttachmentUrl(identity_, databasePath_, noteId_, number, name);
    return true;
}

} // namespace brw
