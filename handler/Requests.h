// The requests the handler side sends to the connector. Every value is
// written as an escaped attribute, so no URL can add attributes of its own.
#pragma once
#include <windows.h>

#include "handler/PipeReply.h"
#include "handler/StringList.h"

#include <string>

namespace brw {

constexpr wchar_t kSinceEverything[] = L"1995-05-06 11:00:00";

// "&", "<", ">", '"' and "'" as entities.
std::wstring EscapeAttribute(const std::wstring& value);

std::wstring DatabaseListRequestText();
std::wstring ModifiedDocumentsRequestText(const std::wstring& database, const std::wstring& since);
std::wstring DocumentRequestText(const std::wstring& database, const std::wstring& noteId, int attachmentNumber,
                                 bool preview, bool manage, const std::wstring& temporaryDirectory);
// TEMP, else TMP, else "C:\temp", unchanged.
std::wstring RequestTemporaryDirectory();

// The selected databases' paths, in reply order, with "\" written as "/".
// False when the exchange failed or the reply names none. Throws
// std::bad_alloc.
bool RequestDatabaseList(PipeReply* reply, StringList* databasePaths);
HRESULT RequestModifiedDocuments(PipeReply* reply, const std::wstring& database, const std::wstring& since);
HRESULT RequestDocument(PipeReply* reply, const std::wstring& database, const std::wstring& noteId,
                        int attachmentNumber, bool preview, bool manage = false);

} // namespace brw
