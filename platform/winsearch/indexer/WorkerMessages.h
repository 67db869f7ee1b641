// What the indexer host and its filtering worker say to each other over
// their pipe: one request (a URL to gather) and one reply per item, each a
// length-prefixed frame.
#pragma once

#include "platform/winsearch/core/ItemRecord.h"

#include <cstdint>
#include <string>
#include <vector>

namespace brw::winsearch {

// A reply bigger than this is a broken worker; item text is capped far
// below it.
constexpr std::uint32_t kMaxFrameBytes = 80 * 1024 * 1024;

struct GatherRequest {
    std::wstring url;
    std::uint64_t knownLastModified = 0; // what the catalogue holds, 0 if nothing
};

struct ChildLink {
    std::wstring url;
    std::uint64_t lastModified = 0; // 0 when the link came without a time
};

struct GatherReply {
    HRESULT status = E_FAIL;  // the item's result; on failure nothing else counts
    bool notModified = false; // the catalogue's record stands
    ItemRecord record;
    std::vector<ChildLink> children;
    std::wstring failure; // what failed, for the log
};

std::string EncodeRequest(const GatherRequest& request);
bool DecodeRequest(const std::string& bytes, GatherRequest* request);
std::string EncodeReply(const GatherReply& reply);
bool DecodeReply(const std::string& bytes, GatherReply* reply);

} // namespace brw::winsearch
