// The worker's protocol handlers: created on first use of their scheme,
// initialized once with the host's site, reused for every URL, and shut
// down when the worker ends.
#pragma once

#include "common/ComHolders.h"
#include "platform/winsearch/indexer/WorkerMessages.h"

#include <searchapi.h>

#include <map>
#include <string>

namespace brw::winsearch {

class ProtocolHost {
public:
    ProtocolHost() = default;
    ~ProtocolHost();
    ProtocolHost(const ProtocolHost&) = delete;
    ProtocolHost& operator=(const ProtocolHost&) = delete;

    // Gathers one item; the reply's status is the item's result.
    void Gather(const GatherRequest& request, GatherReply* reply);

private:
    HRESULT HandlerFor(const std::wstring& url, ISearchProtocol** handler);
    void GatherWith(ISearchProtocol* handler, const GatherRequest& request, GatherReply* reply);

    ComPtr<IProtocolHandlerSite> site_;
    std::map<std::wstring, ComPtr<ISearchProtocol>> handlers_; // by lower-case scheme
};

} // namespace brw::winsearch
