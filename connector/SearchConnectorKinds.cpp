#include "connector/SearchConnectorKinds.h"

#include <utility>

namespace brw::connectors {
namespace {

// Every Connections search runs through the same Atom feed; only the scope
// at its end differs.
constexpr wchar_t kConnectionsQueryPrefix[] =
    L"/search/atom/mysearch/results?query={searchTerms}&start={startIndex}&ps={count}&scope=";

constexpr std::array<ConnectionsKind, kConnectionsKindCount> kKinds = {{
    {1, L"IBM Connections All", L"allconnections", L"IBM Connections"},
    {2, L"IBM Connections Activities", L"activities", L"IBM Connections Activities"},
    {3, L"IBM Connections Blogs", L"blogs", L"IBM Connections Blogs"},
    {4, L"IBM Connections Communities", L"communities", L"IBM Connections Communities"},
    {5, L"IBM Connections Bookmarks", L"dogear", L"IBM Connections Bookmarks"},
    {6, L"IBM Connections Profiles", L"profiles", L"IBM Connections Profiles"},
    {7, L"IBM Connections Wikis", L"wikis", L"IBM Connections Wikis"},
    {8, L"IBM Connections Files", L"files", L"IBM Connections Files"},
    {9, L"IBM Connections Status Updates", L"status_updates", L"IBM Connections Status Updates"},
    {10, L"IBM Connections Personal Only", L"personalOnly", L"IBM Connections Personal Only"},
    {11, L"IBM Connections Personal Only by ACL", L"personalOnlyByACL", L"IBM Connections Personal By ACL"},
    {12, L"IBM Connections Stand-alone", L"stand-alone", L"IBM Connections Stand-alone"},
    {13, L"IBM Connections Forums", L"forums", L"IBM Connections Forums"},
}};

} // namespace

const std::array<ConnectionsKind, kConnectionsKindCount>& ConnectionsKinds() noexcept
{
    return kKinds;
}

const ConnectionsKind* FindConnectionsKind(LPARAM itemData) noexcept
{
    for (const ConnectionsKind& kind : kKinds) {
        if (kind.itemData == itemData) {
            return &kind;
        }
    }
    return nullptr;
}

ConnectorDescription CustomConnector(std::wstring name, std::wstring server, std::wstring query)
{
    return {std::move(name), std::move(server), std::move(query)};
}

ConnectorDescription ConnectionsConnector(const ConnectionsKind& kind, std::wstring name, std::wstring server)
{
    return {std::move(name), std::move(server), std::wstring(kConnectionsQueryPrefix) + kind.scope};
}

std::wstring OpenSearchQueryTemplate(const ConnectorDescription& connector)
{
    const size_t end = connector.server.find_last_not_of(L'/');
    const std::wstring base = end == std::wstring::npos ? std::wstring() : connector.server.substr(0, end + 1);
    return base + connector.queryTemplate;
}

} // namespace brw::connectors
