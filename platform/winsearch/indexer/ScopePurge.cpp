#include "platform/winsearch/indexer/ScopePurge.h"

#include <string>
#include <vector>

namespace brw::winsearch {

unsigned long RemoveExcludedItems(Catalogue& catalogue, const CrawlScope& scope)
{
    std::vector<std::wstring> excluded;
    for (std::uint32_t slot = 0; slot < catalogue.SlotCount(); ++slot) {
        const ItemRecord* item = catalogue.Slot(slot);
        CLUSION_REASON reason = CLUSIONREASON_UNKNOWNSCOPE;
        if (item && !scope.IsIncluded(item->url, &reason) && reason != CLUSIONREASON_UNKNOWNSCOPE) {
            excluded.push_back(item->url);
        }
    }
    const size_t before = catalogue.Count();
    for (const std::wstring& url : excluded) {
        catalogue.RemoveBelow(url);
    }
    return static_cast<unsigned long>(before - catalogue.Count());
}

} // namespace brw::winsearch
