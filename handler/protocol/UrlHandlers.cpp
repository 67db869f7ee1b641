#include "handler/protocol/UrlHandlers.h"

#include "common/WideString.h"
#include "handler/filters/DBIFilter.h"
#include "handler/filters/FilterCreation.h"
#include "handler/filters/NoteAttachmentIFilter.h"
#include "handler/filters/NoteIFilter.h"
#include "handler/filters/NotesIFilter.h"
#include "handler/pipe/ReplyFields.h"
#include "handler/pipe/Requests.h"

#include <new>

namespace brw {

HRESULT URLHandler::GetFileName(wchar_t*, DWORD, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT URLHandler::GetSize(ULONGLONG* size)
{
    if (size) {
        *size = 0;
    }
    return E_NOTIMPL;
}

HRESULT URLHandler::GetDocFormat(wchar_t*, DWORD, DWORD*)
{
    return E_NOTIMPL;
}

HRESULT NSFNotesURLHandler::BindToFilter(IFilter** filter)
{
    return CreateFilter<CNotesIFilter>([&](CNotesIFilter& f) { return f.InitializeRoot(url_.identity); }, filter);
}

HRESULT NSFDbURLHandler::BindToFilter(IFilter** filter)
{
    return CreateFilter<CDBIFilter>(
        [&](CDBIFilter& f) { return f.InitializeDatabase(url_.identity, url_.databasePath); }, filter);
}

HRESULT NSFNoteURLHandler::BindToFilter(IFilter** filter)
{
    ComPtr<IFilter> body;
    if (site_ && FAILED(site_->GetFilter(nullptr, nullptr, L"TXT", body.put()))) {
        body.reset(); // the note is indexed without its body text
    }
    return CreateFilter<CNoteIFilter>(
        [&](CNoteIFilter& f) { return f.InitializeNote(url_.identity, url_.databasePath, url_.noteId, body.get()); },
        filter);
}

NSFMessageBodyURLHandler::NSFMessageBodyURLHandler(const ParsedBrwUrl& url) : URLHandler(url)
{
    std::unique_ptr<PipeReply> reply(new (std::nothrow) PipeReply);
    if (reply && SUCCEEDED(RequestDocument(reply.get(), url_.databasePath, url_.noteId, DocumentRequest{}))) {
        std::wstring path;
        GetElementText(reply->View(), L"rtf", &path, 1);
        bodyFile_.Adopt(path);
    }
}

HRESULT NSFMessageBodyURLHandler::BindToFilter(IFilter**)
{
    return S_OK; // the indexer reads the body file named by GetFileName
}

HRESULT NSFMessageBodyURLHandler::GetFileName(wchar_t* buffer, DWORD size, DWORD* length)
{
    if (bodyFile_.Empty() || !buffer || !length || size > 0x7FFFFFFF ||
        !CopyBounded(buffer, static_cast<int>(size), bodyFile_.Path().c_str())) {
        return E_FAIL;
    }
    *length = static_cast<DWORD>(bodyFile_.Path().size());
    return S_OK;
}

HRESULT NSFMessageBodyURLHandler::GetSize(ULONGLONG* size)
{
    if (!size) {
        return E_POINTER;
    }
    *size = 0;
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (bodyFile_.Empty() || !GetFileAttributesExW(bodyFile_.Path().c_str(), GetFileExInfoStandard, &data)) {
        return E_FAIL;
    }
    *size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return S_OK;
}

HRESULT NSFAttachmentURLHandler::BindToFilter(IFilter** filter)
{
    if (!filter) {
        return E_POINTER;
    }
    *filter = nullptr;
    if (url_.attachmentNumber < 1 || url_.attachmentNumber > 0xFFFF) {
        return E_INVALIDARG; // cut to 16 bits it would name another attachment
    }
    if (!site_) {
        return E_FAIL; // no indexer to supply the filter for the attachment's type
    }
    ComPtr<IFilter> content;
    const HRESULT hr = site_->GetFilter(nullptr, nullptr, url_.extension.c_str(), content.put());
    if (FAILED(hr)) {
        return hr;
    }
    if (!content) {
        return E_FAIL;
    }
    const auto number = static_cast<unsigned short>(url_.attachmentNumber);
    return CreateFilter<CNoteAttachmentIFilter>(
        [&](CNoteAttachmentIFilter& f) {
            return f.InitializeAttachment(url_.identity, url_.databasePath, url_.noteId, number, content.get());
        },
        filter);
}

std::unique_ptr<URLHandler> CreateUrlHandler(const wchar_t* url) noexcept
{
    try {
        ParsedBrwUrl parsed;
        if (!ParseBrwUrl(url, &parsed)) {
            return nullptr;
        }
        switch (parsed.kind) {
        case UrlKind::Root:
            return std::make_unique<NSFNotesURLHandler>(parsed);
        case UrlKind::Database:
            return std::make_unique<NSFDbURLHandler>(parsed);
        case UrlKind::Document:
            return std::make_unique<NSFNoteURLHandler>(parsed);
        case UrlKind::MessageBody:
            return std::make_unique<NSFMessageBodyURLHandler>(parsed);
        case UrlKind::Attachment:
            return std::make_unique<NSFAttachmentURLHandler>(parsed);
        default:
            return nullptr;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

} // namespace brw
