#include "platform/winsearch/indexer/WorkerMessages.h"

#include "platform/winsearch/core/CrawlScope.h"
#include "platform/winsearch/core/RecordCodec.h"

namespace brw::winsearch {

namespace {
// A container with more children than this in one pass is refused as broken.
constexpr std::uint32_t kMaxChildren = 1000000;
} // namespace

std::string EncodeRequest(const GatherRequest& request)
{
    ByteWriter writer;
    writer.Text(request.url);
    writer.U64(request.knownLastModified);
    return std::move(writer.Bytes());
}

bool DecodeRequest(const std::string& bytes, GatherRequest* request)
{
    ByteReader reader(bytes.data(), bytes.size());
    return reader.Text(&request->url) && reader.U64(&request->knownLastModified) && reader.AtEnd() &&
           IsAcceptableUrl(request->url.c_str());
}

std::string EncodeReply(const GatherReply& reply)
{
    ByteWriter writer;
    writer.U32(static_cast<std::uint32_t>(reply.status));
    writer.U8(reply.notModified ? 1 : 0);
    writer.Text(reply.failure);
    EncodeRecord(reply.record, &writer);
    writer.U32(static_cast<std::uint32_t>(reply.children.size()));
    for (const ChildLink& child : reply.children) {
        writer.Text(child.url);
        writer.U64(child.lastModified);
    }
    return std::move(writer.Bytes());
}

bool DecodeReply(const std::string& bytes, GatherReply* reply)
{
    ByteReader reader(bytes.data(), bytes.size());
    std::uint32_t status = 0;
    std::uint8_t notModified = 0;
    std::uint32_t count = 0;
    if (!reader.U32(&status) || !reader.U8(&notModified) || !reader.Text(&reply->failure) ||
        !DecodeRecord(&reader, &reply->record) || !reader.U32(&count) || count > kMaxChildren) {
        return false;
    }
    reply->status = static_cast<HRESULT>(status);
    reply->notModified = notModified != 0;
    reply->children.resize(count);
    for (ChildLink& child : reply->children) {
        if (!reader.Text(&child.url) || !reader.U64(&child.lastModified)) {
            return false;
        }
    }
    return reader.AtEnd();
}

} // namespace brw::winsearch
