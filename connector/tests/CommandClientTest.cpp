// The command client's reply building and context rules, with a data
// service of the test's own.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>

#include "connector/CommandContext.h"
#include "connector/ReplyBuffer.h"

namespace {

TEST(ReplyBuffer, BuildsElementsTextAndFormattedNumbers)
{
    brw::ReplyBuffer reply;
    reply.Begin();
    reply.OpenElement(L"documents");
    reply.AppendFormat(L"<d>%X</d>", 0x8F6);
    reply.AppendFormat(L"<d>%X</d>", static_cast<long>(0xFFFFFFFFu));
    reply.OpenElement(L"notesize");
    reply.AppendFormat(L"%ld", -5);
    reply.CloseElement(L"notesize");
    reply.AppendText(L"a<b&c", -1);
    reply.AppendText(L"xyz", 2);
    reply.CloseElement(L"documents");
    EXPECT_EQ(reply.Text(), L"<documents><d>8F6</d><d>FFFFFFFF</d><notesize>-5</notesize>a<b&cxy</documents>");
    EXPECT_EQ(reply.ByteCount(), reply.Text().size() * 2);
    EXPECT_TRUE(reply.IsComplete());
}

TEST(ReplyBuffer, BeginDropsEarlierTextAndBadArgumentsAppendNothing)
{
    brw::ReplyBuffer reply;
    reply.AppendText(L"<deletedoc/>", -1);
    EXPECT_EQ(reply.Text(), L"<deletedoc/>");
    reply.Begin();
    EXPECT_EQ(reply.Text(), L"");
    EXPECT_EQ(reply.AppendText(nullptr, 3), E_POINTER);
    EXPECT_EQ(reply.AppendText(nullptr, 0), S_OK);
    EXPECT_EQ(reply.AppendText(L"abc", -2), E_INVALIDARG);
    EXPECT_EQ(reply.OpenElement(nullptr), E_POINTER);
    EXPECT_EQ(reply.AppendFormat(nullptr, 1), E_POINTER);
    EXPECT_EQ(reply.Text(), L"");
}

TEST(ReplyBuffer, TextWithEmbeddedNulKeepsItsGivenLength)
{
    brw::ReplyBuffer reply;
    reply.AppendText(L"a\0b", 3);
    EXPECT_EQ(reply.ByteCount(), 6u);
}

// A data service that echoes the request's length, or fails on "fail".
class EchoService final : public IExecuteCommand {
public:
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    int STDMETHODCALLTYPE Execute(ReplyWriter* writer, const wchar_t* request) override
    {
        ++executed;
        if (std::wstring(request) == L"fail") {
            return 1;
        }
        writer->Begin();
        writer->OpenElement(L"len");
        writer->AppendFormat(L"%ld", static_cast<long>(wcslen(request)));
        writer->CloseElement(L"len");
        return 0;
    }
    ULONG references = 0;
    int executed = 0;
};

EchoService g_service;

int WINAPI MakeEchoService(IExecuteCommand** service)
{
    g_service.AddRef();
    *service = &g_service;
    return 0;
}

int WINAPI FailToMakeService(IExecuteCommand** service)
{
    *service = nullptr;
    return 1;
}

TEST(CommandContext, RunsCommandsAndReleasesTheServiceAtTheEnd)
{
    {
        std::unique_ptr<brw::CommandContext> context = brw::CommandContext::Create(&MakeEchoService);
        ASSERT_TRUE(context);
        EXPECT_EQ(g_service.references, 1u);
        ASSERT_TRUE(context->Execute(L"<get_document/>"));
        EXPECT_EQ(context->Reply().Text(), L"<len>15</len>");
        context->ClearReply();
        ASSERT_TRUE(context->Execute(L"x"));
        EXPECT_EQ(context->Reply().Text(), L"<len>1</len>") << "a reused context keeps no earlier reply";
        EXPECT_FALSE(context->Execute(L"fail"));
        EXPECT_FALSE(context->Execute(nullptr));
    }
    EXPECT_EQ(g_service.references, 0u);
}

TEST(CommandContext, NoServiceNoContext)
{
    EXPECT_FALSE(brw::CommandContext::Create(&FailToMakeService));
    EXPECT_FALSE(brw::CommandContext::Create(nullptr));
}

TEST(CommandContext, BelongsToTheThreadThatMadeIt)
{
    std::unique_ptr<brw::CommandContext> context = brw::CommandContext::Create(&MakeEchoService);
    ASSERT_TRUE(context);
    EXPECT_TRUE(context->IsOwnedByThisThread());
    bool ownedElsewhere = true;
    std::thread other([&] { ownedElsewhere = context->IsOwnedByThisThread(); });
    other.join();
    EXPECT_FALSE(ownedElsewhere);
}

TEST(CommandContextTable, HandsOutDistinctNumbersAndRefusesUnknownOnes)
{
    brw::CommandContextTable table;
    DWORD first = table.Add(brw::CommandContext::Create(&MakeEchoService));
    DWORD second = table.Add(brw::CommandContext::Create(&MakeEchoService));
    EXPECT_NE(first, 0u);
    EXPECT_NE(first, second);
    EXPECT_NE(table.Find(first), nullptr);
    EXPECT_EQ(table.Find(second + 100), nullptr);
    EXPECT_TRUE(table.Remove(first));
    EXPECT_EQ(table.Find(first), nullptr);
    EXPECT_FALSE(table.Remove(first)) << "a context is freed once";
    table.Remove(second);
    EXPECT_EQ(g_service.references, 0u);
}

}  // namespace
