// What crosses the pipe between the host and its worker is checked whole.
#include "platform/winsearch/indexer/WorkerMessages.h"

#include <gtest/gtest.h>
#include <windowssearcherrors.h>

namespace brw::winsearch {
namespace {

TEST(WorkerMessages, EveryTruncatedOrPaddedReplyIsRefused)
{
    GatherReply reply;
    reply.status = PRTH_E_OBJ_NOT_FOUND;
    reply.failure = L"filter";
    reply.record.url = L"brw://a/1";
    reply.record.text = L"text";
    reply.children = {{L"brw://a/1/2", 7}, {L"brw://a/1/3", 0}};
    const std::string bytes = EncodeReply(reply);
    for (size_t size = 0; size < bytes.size(); ++size) {
        GatherReply decoded;
        EXPECT_FALSE(DecodeReply(bytes.substr(0, size), &decoded)) << "cut at " << size;
    }
    GatherReply decoded;
    EXPECT_FALSE(DecodeReply(bytes + "x", &decoded));
    ASSERT_TRUE(DecodeReply(bytes, &decoded));
    EXPECT_EQ(PRTH_E_OBJ_NOT_FOUND, decoded.status);
    ASSERT_EQ(2u, decoded.children.size());
    EXPECT_EQ(7u, decoded.children[0].lastModified);
}

TEST(WorkerMessages, ARequestForAnUnacceptableUrlIsRefused)
{
    GatherRequest request;
    GatherRequest decoded;
    request.url = L"brw://a/1";
    EXPECT_TRUE(DecodeRequest(EncodeRequest(request), &decoded));
    request.url = L"brw://a\r\n1";
    EXPECT_FALSE(DecodeRequest(EncodeRequest(request), &decoded));
    request.url.clear();
    EXPECT_FALSE(DecodeRequest(EncodeRequest(request), &decoded));
}

} // namespace
} // namespace brw::winsearch
