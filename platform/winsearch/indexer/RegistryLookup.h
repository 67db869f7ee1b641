// The registry chains the indexer follows: a URL scheme to its protocol
// handler (Windows Search\ProtocolHandlers: scheme -> ProgID -> CLSID) and a
// file extension to its filter (.ext -> PersistentHandler -> the IFilter
// add-in), in the registry view of this process.
#pragma once

#include <windows.h>

#include <string>

namespace brw::winsearch {

constexpr wchar_t kProtocolHandlersKey[] = L"Software\\Microsoft\\Windows Search\\ProtocolHandlers";

// HKLM first, then HKCU, as both are documented places for the binding.
HRESULT FindProtocolHandler(const std::wstring& scheme, CLSID* clsid);

// REGDB_E_CLASSNOTREG when the extension has no filter.
HRESULT FindFilterForExtension(const std::wstring& extension, CLSID* clsid);

// The scheme of a URL ("brw" of "brw://..."), empty when it has none.
std::wstring SchemeOf(const std::wstring& url);

} // namespace brw::winsearch
