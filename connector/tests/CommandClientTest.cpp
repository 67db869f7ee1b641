// The command client's reply building and context rules, with a data
// service of the test's own.
#include "connector/CommandContext.h"
#include "connector/ReplyBuffer.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>

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
    EXPECT_EQ(L"<documents><d>8F6</d><d>FFFFFFFF</d><notesize>-5</notesize>a<b&cxy</documents>", reply.Text());
    EXPECT_EQ(reply.ByteCount(), reply.Text().size() * 2);
    EXPECT_TRUE(reply.IsComplete());
}

TEST(ReplyBuffer, BeginDropsEarlierTextAndBadArgumentsAppendNothing)
{
    brw::ReplyBuffer reply;
    reply.AppendText(L"<deletedoc/>", -1);
    EXPECT_EQ(L"<deletedoc/>", reply.Text());
    reply.Begin();
    EXPECT_EQ(L"", reply.Text());
    EXPECT_EQ(E_POINTER, reply.AppendText(nullptr, 3));
    EXPECT_EQ(S_OK, reply.AppendText(nullptr, 0));
    EXPECT_EQ(E_INVALIDARG, reply.AppendText(L"abc", -2));
    EXPECT_EQ(E_POINTER, reply.OpenElement(nullptr));
    EXPECT_EQ(E_POINTER, reply.AppendFormat(nullptr, 1));
    EXPECT_EQ(L"", reply.Text());
}

TEST(ReplyBuffer, TextWithEmbeddedNulKeepsItsGivenLength)
{
    brw::ReplyBuffer reply;
    reply.AppendText(L"a\0b", 3);
    EXPECT_EQ(6u, reply.ByteCount());
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
        EXPECT_EQ(1u, g_service.references);
        ASSERT_TRUE(context->Execute(L"<get_document/>"));
        EXPECT_EQ(L"<len>15</len>", context->Reply().Text());
        context->ClearReply();
        ASSERT_TRUE(context->Execute(L"x"));
        EXPECT_EQ(L"<len>1</len>", context->Reply().Text()) << "a reused context keeps no earlier reply";
        EXPECT_FALSE(context->Execute(L"fail"));
        EXPECT_FALSE(context->Execute(nullptr));
    }
    EXPECT_EQ(0u, g_service.references);
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
    EXPECT_NE(0u, first);
    EXPECT_NE(first, second);
    EXPECT_NE(nullptr, table.Find(first));
    EXPECT_EQ(nullptr, table.Find(second + 100));
    EXPECT_TRUE(table.Remove(first));
    EXPECT_EQ(nullptr, table.Find(first));
    EXPECT_FALSE(table.Remove(first)) << "a context is freed once";
    table.Remove(second);
    EXPECT_EQ(0u, g_service.references);
}

} // namespace
