// The requests the handler side sends to the connector. Every value is
// written as an escaped attribute, so no URL can add attributes of its own.
#pragma once
#include "handler/pipe/PipeReply.h"
#include "handler/pipe/StringList.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace brw {

constexpr wchar_t kSinceEverything[] = L"1995-05-06 11:00:00";

std::wstring DatabaseListRequestText();
std::wstring ModifiedDocumentsRequestText(const std::wstring& database, const std::wstring& since);
// What a get_document request asks for besides the note.
struct DocumentRequest {
    // From 1 the attachment to extract; 0 the document with its body file.
    int attachmentNumber = 0;
    // The body as RTF for the preview pane instead of plain text.
    bool preview = false;
    // Extracted files are left to the connector's temporary-file manager.
    bool manage = false;
};

std::wstring DocumentRequestText(const std::wstring& database, const std::wstring& noteId, const DocumentRequest& what,
                                 const std::wstring& temporaryDirectory);
// TEMP, else TMP, else "C:\temp", unchanged.
std::wstring RequestTemporaryDirectory();

constexpr wchar_t kDatabaseListElement[] = L"databases";
constexpr wchar_t kDocumentListElement[] = L"documents";

// True when reply holds the opening and the closing tag of the list: a
// list cut short or a reply of another kind is no list at all.
bool HoldsWholeList(std::wstring_view reply, const wchar_t* listElement);

// The selected databases' paths as the reply writes them, in reply order.
// The exchange's failure, or kConnectorUnavailable for a reply that is no
// whole database list; S_OK with no path when none is selected. Throws
// std::bad_alloc.
HRESULT RequestDatabaseList(PipeReply* reply, StringList* databasePaths);
HRESULT RequestModifiedDocuments(PipeReply* reply, const std::wstring& database, const std::wstring& since);
HRESULT RequestDocument(PipeReply* reply, const std::wstring& database, const std::wstring& noteId,
                        const DocumentRequest& what);

} // namespace brw
