// The host's own filters for plain text and RTF, handed out by
// IProtocolHandlerSite::GetFilter. They are loaded like any filter, through
// IInitializeWithStream, IPersistStream or IPersistFile, and give the text
// as one System.Search.Contents chunk.
#pragma once

#include <filter.h>

#include <string>
#include <string_view>

namespace brw::winsearch {

// PropertiesOnly is the indexer's filter for a type without a filter of
// its own: it takes the item and gives no text, so the item is indexed by
// the properties its handler gives (name, size, dates) instead of failing.
enum class TextFormat { Plain, Rtf, PropertiesOnly };

// Larger documents are cut at this many bytes, as the indexer caps what it
// takes from one item.
constexpr size_t kMaxTextDocumentBytes = 32 * 1024 * 1024;

HRESULT CreateTextFilter(TextFormat format, IFilter** filter);

// Plain text: UTF-16 (either byte order) after its byte-order mark, UTF-8
// with or without one.
std::wstring DecodePlainText(std::string_view bytes);

} // namespace brw::winsearch
