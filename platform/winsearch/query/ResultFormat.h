// How the query command shows its results: one line per item, or JSON.
#pragma once

#include "platform/winsearch/core/ItemRecord.h"

#include <string>
#include <vector>

namespace brw::winsearch {

// The item's shown name: System.ItemNameDisplay, else System.Title, else
// System.ItemName, else the URL.
std::wstring DisplayName(const ItemRecord& item);

std::wstring FormatResultsText(const std::vector<const ItemRecord*>& items);
std::wstring FormatResultsJson(const std::vector<const ItemRecord*>& items);

// A JSON string literal, quotes included, with every control character escaped.
std::wstring JsonString(const std::wstring& text);

} // namespace brw::winsearch
