// Windows Search drops the items a saved scope rule excludes from its
// catalogue; they come back only when a crawl or a notification brings them
// once the rule is gone. The indexer host applies the same after every
// scope change it picks up.
#pragma once

#include "platform/winsearch/core/Catalogue.h"
#include "platform/winsearch/core/CrawlScope.h"

namespace brw::winsearch {

// Removes every item (with what lies below it) that a rule of scope
// excludes. Items no rule speaks about stay: they came in by a notification
// or a root that the scope still accepts. Returns how many items went.
unsigned long RemoveExcludedItems(Catalogue& catalogue, const CrawlScope& scope);

} // namespace brw::winsearch
