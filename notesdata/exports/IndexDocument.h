#pragma once
// An immediate index request for one document, for the connector: the
// document's URL handed to the catalogue as an addition.
#include "common/ComHolders.h"

#include <windows.h>
#include <searchapi.h>

#include <functional>

namespace brw {

// Where the change is sent; the catalogue's sink unless a caller says.
using SinkConnector = std::function<HRESULT(ComPtr<ISearchItemsChangedSink>&)>;

// path: the database (UTF-16, as the connector's list holds it); noteId:
// hexadecimal text. True when the catalogue took the document's URL; false
// when the database or note does not open, the identity or the catalogue
// cannot be had, or the catalogue refused it.
bool IndexDocument(const wchar_t* path, const wchar_t* noteId, const SinkConnector& connect);
bool IndexDocument(const wchar_t* path, const wchar_t* noteId);

} // namespace brw
