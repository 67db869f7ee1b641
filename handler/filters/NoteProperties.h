// The 23 properties of a Notes document, in chunk order, and the rules that
// form each value from the document's reply.
#pragma once
#include "handler/filters/FilterChunks.h"

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace brw {

constexpr ULONG kNotePropertyCount = 23;
extern const PropertyKeyEntry kNoteProperties[kNotePropertyCount];

// Computes entry index into value, which must be empty. A missing field
// gives its default or VT_EMPTY; only memory exhaustion fails.
HRESULT ComputeNoteProperty(ULONG index, std::wstring_view reply, const std::wstring& noteId,
                            PROPVARIANT* value) noexcept;

// Notes hierarchical names: "CN=Jane Doe/OU=Sales/O=Acme" cleaned for
// display; orgUnitSeparator replaces each "/OU=". Other names unchanged.
std::wstring CleanNotesName(const std::wstring& name, const wchar_t* orgUnitSeparator);

// Title, item type and kind of a document, exposed for the shell objects.
std::wstring DocumentTitle(std::wstring_view reply);
std::wstring DocumentItemType(std::wstring_view reply);
// Every item type DocumentItemType can give.
std::vector<std::wstring> DocumentItemTypes();

} // namespace brw
