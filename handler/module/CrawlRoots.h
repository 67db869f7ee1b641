// Removes the brw:// crawl roots of earlier installations from the
// "SystemIndex" catalogue; the connector adds the user's root again when it
// next starts. Silent: without Windows Search there is nothing to clean.
#pragma once

namespace brw {

void RemoveOldCrawlRoots() noexcept;

} // namespace brw
