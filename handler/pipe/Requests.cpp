#include "handler/pipe/Requests.h"

#include "common/XmlText.h"
#include "handler/pipe/PipeClient.h"
#include "handler/pipe/ReplyFields.h"

#include <new>
#include <string_view>

namespace brw {
namespace {

constexpr wchar_t kDeclaration[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>";

std::wstring EnvironmentValue(const wchar_t* name)
{
    const DWORD units = GetEnvironmentVariableW(name, nullptr, 0);
    if (units == 0) {
        return {};
    }
    std::wstring value(units, L'\0');
    const DWORD written = GetEnvironmentVariableW(name, &value[0], units);
    if (written == 0 || written >= units) {
        return {};
    }
    value.resize(written);
    return value;
}

HRESULT Send(PipeReply* reply, const std::wstring& text)
{
    return SendPipeRequest(reply, text.c_str());
}

} // namespace

std::wstring DatabaseListRequestText()
{
    return std::wstring(kDeclaration) + L"<get_database_list selected=\"true\"/>";
}

std::wstring ModifiedDocumentsRequestText(const std::wstring& database, const std::wstring& since)
{
    return std::wstring(kDeclaration) + L"<get_modified_document_list db=\"" + XmlAttributeText(database) +
           L"\" since=\"" + XmlAttributeText(since) + L"\"/>";
}

std::wstring DocumentRequestText(const std::wstring& database, const std::wstring& noteId, const DocumentRequest& what,
                                 const std::wstring& temporaryDirectory)
{
    return std::wstring(kDeclaration) + L"<get_document db=\"" + XmlAttributeText(database) + L"\" tempdir=\"" +
           XmlAttributeText(temporaryDirectory) + L"\" id=\"" + XmlAttributeText(noteId) + L"\" attnum=\"" +
           std::to_wstring(what.attachmentNumber) + (what.manage ? L"\" manage=\"true" : L"\" manage=\"false") +
           (what.preview ? L"\" preview=\"true" : L"\" preview=\"false") + L"\"/>";
}

std::wstring RequestTemporaryDirectory()
{
    std::wstring directory = EnvironmentValue(L"TEMP");
    if (directory.empty()) {
        directory = EnvironmentValue(L"TMP");
    }
    return directory.empty() ? std::wstring(L"C:\\temp") : directory;
}

bool HoldsWholeList(std::wstring_view reply, const wchar_t* listElement)
{
    const std::wstring open = std::wstring(L"<") + listElement + L">";
    const std::wstring close = std::wstring(L"</") + listElement + L">";
    const size_t at = reply.find(open);
    return at != std::wstring_view::npos && reply.find(close, at + open.size()) != std::wstring_view::npos;
}

HRESULT RequestDatabaseList(PipeReply* reply, StringList* databasePaths)
{
    const HRESULT hr = Send(reply, DatabaseListRequestText());
    if (FAILED(hr)) {
        return hr;
    }
    const std::wstring_view all = reply->View();
    if (!HoldsWholeList(all, kDatabaseListElement)) {
        return kConnectorUnavailable;
    }
    // Each path is looked up inside its own database element, so an entry
    // without a path never lends the next entry's.
    constexpr std::wstring_view kOpen = L"<database>";
    constexpr std::wstring_view kClose = L"</database>";
    size_t from = 0;
    for (;;) {
        const size_t open = all.find(kOpen, from);
        if (open == std::wstring_view::npos) {
            break;
        }
        const size_t close = all.find(kClose, open);
        if (close == std::wstring_view::npos) {
            break;
        }
        std::wstring path;
        if (GetElementText(all.substr(open, close - open), L"path", &path, 1) && !path.empty()) {
            databasePaths->Append(path);
        }
        from = close + kClose.size();
    }
    return S_OK;
}

HRESULT RequestModifiedDocuments(PipeReply* reply, const std::wstring& database, const std::wstring& since)
{
    try {
        return Send(reply, ModifiedDocumentsRequestText(database, since));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RequestDocument(PipeReply* reply, const std::wstring& database, const std::wstring& noteId,
                        const DocumentRequest& what)
{
    try {
        return Send(reply, DocumentRequestText(database, noteId, what, RequestTemporaryDirectory()));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace brw
