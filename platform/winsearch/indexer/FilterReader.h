// Drives one IFilter through its chunks the way the indexer does (Init, then
// GetChunk with GetText until no more text or GetValue once, until
// FILTER_E_END_OF_CHUNKS), keeping the values as properties, the text, and
// the child links of a container. Everything a filter hands back is checked
// before use: a filter that lies about lengths or types loses that chunk.
#pragma once

#include "platform/winsearch/indexer/WorkerMessages.h"

#include <objidl.h>
#include <filter.h>

namespace brw::winsearch {

// Text kept per item, in characters; the rest is dropped, as the indexer
// drops what passes its growth limit.
constexpr size_t kMaxItemText = 4 * 1024 * 1024;

HRESULT ReadFilter(IFilter* filter, GatherReply* reply);

// Hands a stream to a filter: IInitializeWithStream first, then
// IPersistStream, as filters implement one or the other.
HRESULT LoadFilterFromStream(IFilter* filter, IStream* stream);

} // namespace brw::winsearch
