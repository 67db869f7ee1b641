#pragma once
// Writes a search connector description file (".searchConnector-ms") that
// lets Explorer search an OpenSearch web service, and the optional shortcut
// to it among the user's favourites. The caller's thread must be in COM.
#include "connector/SearchConnectorKinds.h"

#include <windows.h>

#include <string>

namespace brw::connectors {

inline constexpr wchar_t kConnectorFileExtension[] = L".searchConnector-ms";
inline constexpr wchar_t kShortcutExtension[] = L".lnk";

// The description format's namespace, as Windows publishes its schema.
inline constexpr wchar_t kConnectorNamespace[] = L"http://schemas.microsoft.com/windows/2009/searchConnector";

struct ConnectorFolders {
    std::wstring searches; // where connector files go
    std::wstring links;    // where favourites' shortcuts go
};

// The user's Searches and Links folders, created when a new profile lacks
// them.
HRESULT UserConnectorFolders(ConnectorFolders* folders) noexcept;

// folder + "\" + name + extension; empty when the result would not fit a
// path of MAX_PATH characters.
std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name, const wchar_t* extension);

// Builds the description of connector and saves it to path, replacing a
// file already there. The name must already be a valid file name.
HRESULT SaveConnectorFile(const ConnectorDescription& connector, const std::wstring& path) noexcept;

// A shell link at linkPath to target, described by name.
HRESULT SaveShortcut(const std::wstring& linkPath, const std::wstring& target, const std::wstring& name) noexcept;

enum class FavoriteLink { Skip, Create };

struct ConnectorWriteResult {
    std::wstring filePath;
    HRESULT file = E_FAIL;
    HRESULT shortcut = S_FALSE; // S_FALSE when none was asked for or the file failed
};

// The connector file in folders.searches and, when asked and the file was
// saved, its shortcut in folders.links.
ConnectorWriteResult WriteConnector(const ConnectorDescription& connector, const ConnectorFolders& folders,
                                    FavoriteLink link) noexcept;

// What the user is told when the file could not be written.
std::wstring ConnectorErrorMessage(const ConnectorWriteResult& result);

} // namespace brw::connectors
