#pragma once
// The kinds of search connector the user can create: a custom OpenSearch
// query, or one of the thirteen searches of an IBM Connections server, which
// differ only in the scope their query asks for.
#include <windows.h>

#include <array>
#include <cstddef>
#include <string>

namespace brw::connectors {

// One entry of the dialog's drop-down: its text, the item data that comes
// back when it is chosen, the scope its query asks for and the name offered
// for it in the Name box.
struct ConnectionsKind {
    LPARAM itemData;
    const wchar_t* listText;
    const wchar_t* scope;
    const wchar_t* suggestedName;
};

inline constexpr std::size_t kConnectionsKindCount = 13;
const std::array<ConnectionsKind, kConnectionsKindCount>& ConnectionsKinds() noexcept;

// The kind with this item data, or null for a value no kind has.
const ConnectionsKind* FindConnectionsKind(LPARAM itemData) noexcept;

// What a connector file describes; the query template is appended to the
// server (without its trailing slashes) to form the OpenSearch template.
struct ConnectorDescription {
    std::wstring name;
    std::wstring server;
    std::wstring queryTemplate;
};

ConnectorDescription CustomConnector(std::wstring name, std::wstring server, std::wstring query);
ConnectorDescription ConnectionsConnector(const ConnectionsKind& kind, std::wstring name, std::wstring server);

// The server without trailing "/" characters, then the query template.
std::wstring OpenSearchQueryTemplate(const ConnectorDescription& connector);

} // namespace brw::connectors
