// The command client over the real data service: BRWClient.dll, BRWData.dll
// and the stand-in's nnotes.dll, as the connector loads them.
#include "connector/CommandContextHandle.h"
#include "notesdata/tests/NotesSandbox.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kPrologue[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>";

// One thread's context and the replies it gets.
class ClientThread {
public:
    bool Made() const { return static_cast<bool>(context_); }

    // The reply, or "<failure/>" as the pipe server would send it.
    std::wstring Run(const std::wstring& element)
    {
        ClearCommandBuffer(context_.get());
        const std::wstring request = kPrologue + element;
        if (ExecuteCommand(context_.get(), request.c_str()) != 0) {
            return L"<failure/>";
        }
        std::vector<BYTE> bytes(static_cast<size_t>(GetReturnBufferSize(context_.get())) + 2);
        DWORD length = 0;
        if (GetReturnBuffer(context_.get(), bytes.data(), static_cast<int>(bytes.size()), &length) != 0) {
            return L"<failure/>";
        }
        return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), length / sizeof(wchar_t));
    }

private:
    brw::CommandContextHandle context_ = brw::MakeCommandContext();
};

class ClientService : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sandbox_.Start());
        ASSERT_TRUE(sandbox_.NewDatabase(L"mail\\one.nsf").succeeded);
        ASSERT_TRUE(
            sandbox_.Notesdb(L"generate mail \"" + sandbox_.DataPath(L"mail\\two.nsf") + L"\" --count 300").succeeded);
    }
    brwtest::NotesSandbox sandbox_;
};

TEST_F(ClientService, AContextRunsAnyNumberOfCommandsAndFailuresAreFailures)
{
    ClientThread client;
    ASSERT_TRUE(client.Made());
    EXPECT_EQ(L"<documents></documents>", client.Run(L"<get_modified_document_list db=\"mail\\one.nsf\"/>"));
    EXPECT_EQ(L"<failure/>", client.Run(L"<get_modified_document_list db=\"none.nsf\"/>"));
    EXPECT_EQ(L"<failure/>", client.Run(L"<Get_Document/>"));
    EXPECT_EQ(L"<failure/>", client.Run(L"not xml"));
    const std::wstring listed = client.Run(L"<get_database_list/>");
    EXPECT_NE(std::wstring::npos, listed.find(L"<path>mail\\one.nsf</path>"));
    EXPECT_NE(std::wstring::npos, listed.find(L"<path>mail\\two.nsf</path>"));
}

// The first document id of a list reply.
std::wstring FirstId(const std::wstring& list)
{
    const size_t start = list.find(L"<d>");
    const size_t end = list.find(L"</d>");
    return start == std::wstring::npos || end == std::wstring::npos ? std::wstring()
                                                                    : list.substr(start + 3, end - start - 3);
}

constexpr wchar_t kRtfOpen[] = L"<rtf>";
constexpr wchar_t kRtfClose[] = L"</rtf>";

// The body file a document reply names, or nothing.
std::wstring RtfPath(const std::wstring& reply)
{
    const size_t start = reply.find(kRtfOpen);
    const size_t end = reply.find(kRtfClose);
    if (start == std::wstring::npos || end == std::wstring::npos || end < start) {
        return std::wstring();
    }
    const size_t text = start + std::size(kRtfOpen) - 1;
    return reply.substr(text, end - text);
}

// The reply without its rtf element: what two requests for one note share.
std::wstring WithoutRtf(const std::wstring& reply)
{
    const size_t start = reply.find(kRtfOpen);
    const size_t end = reply.find(kRtfClose);
    if (start == std::wstring::npos || end == std::wstring::npos || end < start) {
        return reply;
    }
    return reply.substr(0, start) + reply.substr(end + std::size(kRtfClose) - 1);
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

TEST_F(ClientService, TwoThreadsWithTheirOwnContextsRunCommandsAtOnce)
{
    const std::wstring expected = ClientThread().Run(L"<get_modified_document_list db=\"mail\\two.nsf\"/>");
    ASSERT_GT(expected.size(), 300u * 8);
    const std::wstring document = L"<get_document db=\"mail\\two.nsf\" tempdir=\"" + sandbox_.TempDir() + L"\" id=\"" +
                                  FirstId(expected) + L"\"/>";
    bool same[2] = {true, true};
    std::wstring folders[2];
    auto work = [&](int which) {
        ClientThread client;
        same[which] = client.Made();
        const std::wstring body = client.Run(document);
        folders[which] = FolderOf(RtfPath(body));
        same[which] = same[which] && !folders[which].empty();
        std::wstring lastPath = RtfPath(body);
        for (int i = 0; i < 40 && same[which]; ++i) {
            const std::wstring again = client.Run(document);
            // Every request gets a body file of its own, in its thread's folder.
            same[which] = client.Run(L"<get_modified_document_list db=\"mail\\two.nsf\"/>") == expected &&
                          WithoutRtf(again) == WithoutRtf(body) && RtfPath(again) != lastPath &&
                          FolderOf(RtfPath(again)) == folders[which] &&
                          client.Run(L"<get_database_list/>").find(L"mail\\two.nsf") != std::wstring::npos;
            lastPath = RtfPath(again);
        }
    };
    std::thread first(work, 0);
    std::thread second(work, 1);
    first.join();
    second.join();
    EXPECT_TRUE(same[0]);
    EXPECT_TRUE(same[1]);
    EXPECT_NE(folders[0], folders[1]) << "each thread writes its body files into a folder of its own";
}

// A context belongs to the thread that made it: another thread can neither
// use nor free it, so it is never pulled away from under a running command.
TEST_F(ClientService, AContextIsFreedOnlyByItsOwnThread)
{
    BRWCommandContext context = 0;
    ASSERT_EQ(0, InitializeCommandContext(&context));
    int freedElsewhere = 0;
    int ranElsewhere = 0;
    std::thread other([&] {
        ranElsewhere = ExecuteCommand(context, L"<get_database_list/>");
        freedElsewhere = FreeCommandContext(context);
    });
    other.join();
    EXPECT_NE(0, ranElsewhere);
    EXPECT_NE(0, freedElsewhere);

    const std::wstring request = std::wstring(kPrologue) + L"<get_database_list/>";
    EXPECT_EQ(0, ExecuteCommand(context, request.c_str())) << "still whole for its own thread";
    EXPECT_GT(GetReturnBufferSize(context), 0);
    EXPECT_EQ(0, FreeCommandContext(context));
    EXPECT_NE(0, FreeCommandContext(context)) << "freed once";
    EXPECT_NE(0, ExecuteCommand(context, request.c_str()));
}

} // namespace
