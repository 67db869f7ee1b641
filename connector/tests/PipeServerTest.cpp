// The pipe server with the real command client and data service: what a
// client of the pipe gets for each kind of request, and what the one
// instance means for a second client.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "common/Handles.h"
#include "common/WideString.h"
#include "connector/PipeServer.h"
#include "notesdata/tests/NotesSandbox.h"

#include <notesapi.h>

namespace {

constexpr wchar_t kPrologue[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>";
constexpr DWORD kWaitMs = 30000;

std::wstring UniquePipeName()
{
    static std::atomic<unsigned> counter{0};
    return brw::FormatText(L"\\\\.\\pipe\\BrwPipeServerTest.%lu.%u", GetCurrentProcessId(), ++counter);
}

// A client end as the handler opens it: message mode, one request, one reply.
class PipeClient {
public:
    // As the handler connects: open, and while the one instance is busy,
    // wait for it.
    explicit PipeClient(const std::wstring& name)
    {
        for (ULONGLONG deadline = GetTickCount64() + kWaitMs; !name.empty() && GetTickCount64() < deadline;) {
            pipe_.reset(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            if (pipe_ || GetLastError() != ERROR_PIPE_BUSY ||
                !WaitNamedPipeW(name.c_str(), static_cast<DWORD>(deadline - GetTickCount64()))) {
                break;
            }
        }
        DWORD mode = PIPE_READMODE_MESSAGE;
        if (pipe_ && !SetNamedPipeHandleState(pipe_.get(), &mode, nullptr, nullptr)) {
            pipe_.reset();
        }
    }
    bool Connected() const { return static_cast<bool>(pipe_); }
    void Disconnect() { pipe_.reset(); }

    bool Send(const std::vector<BYTE>& bytes)
    {
        DWORD written = 0;
        return WriteFile(pipe_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }
    // The whole reply message; nothing when the server dropped the client.
    bool Receive(std::vector<BYTE>* reply)
    {
        reply->clear();
        BYTE chunk[4096];
        for (;;) {
            DWORD read = 0;
            const BOOL done = ReadFile(pipe_.get(), chunk, sizeof(chunk), &read, nullptr);
            reply->insert(reply->end(), chunk, chunk + read);
            if (done) {
                return true;
            }
            if (GetLastError() != ERROR_MORE_DATA) {
                return false;
            }
        }
    }

private:
    brw::FileHandle pipe_;
};

std::vector<BYTE> RequestBytes(const std::wstring& element)
{
    const std::wstring text = kPrologue + element;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text.c_str());
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));  // with its NUL
}

std::wstring AsText(const std::vector<BYTE>& bytes)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// The server as its thread runs it, with the pipe made before the test's
// clients look for it.
// The server waits for a client between connections and looks at the stop
// flag after each: one more connection lets it see the stop, unless it saw
// it already and closed the pipe (then nothing wakes a client's wait).
bool StopServer(HANDLE thread, brw::Listener& listener, const std::wstring& name)
{
    listener.RequestStop();
    for (ULONGLONG deadline = GetTickCount64() + kWaitMs; GetTickCount64() < deadline;) {
        brw::FileHandle poke(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                                         nullptr));
        poke.reset();
        if (WaitForSingleObject(thread, 50) == WAIT_OBJECT_0) {
            return true;
        }
    }
    return false;
}

class PipeServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sandbox_.Start());
        ASSERT_TRUE(sandbox_.NewDatabase(L"mail\\one.nsf").succeeded);
        ASSERT_TRUE(listener_.Open());
        thread_.reset(CreateThread(nullptr, 0, &Serve, &listener_, 0, nullptr));
        ASSERT_TRUE(thread_);
    }
    void TearDown() override
    {
        if (!thread_) {
            return;
        }
        EXPECT_TRUE(StopServer(thread_.get(), listener_, pipeName_)) << "the server ends after a stop";
    }
    static DWORD WINAPI Serve(void* listener)
    {
        NotesInitThread();
        static_cast<brw::Listener*>(listener)->ServeUntilStopped();
        NotesTermThread();
        return 0;
    }

    // One request on a connection of its own; its reply, or nothing.
    bool Exchange(const std::vector<BYTE>& request, std::vector<BYTE>* reply)
    {
        PipeClient client(pipeName_);
        return client.Connected() && client.Send(request) && client.Receive(reply);
    }

    brwtest::NotesSandbox sandbox_;
    std::wstring pipeName_ = UniquePipeName();
    brw::Listener listener_{pipeName_};
    brw::KernelHandle thread_;
};

TEST_F(PipeServer, RepliesAreTheServiceRepliesAndFailuresExactlyTwentyBytes)
{
    std::vector<BYTE> reply;
    ASSERT_TRUE(Exchange(RequestBytes(L"<get_modified_document_list db=\"mail\\one.nsf\"/>"), &reply));
    EXPECT_EQ(L"<documents></documents>", AsText(reply)) << "no NUL, no prologue";
    ASSERT_TRUE(Exchange(RequestBytes(L"<get_modified_document_list db=\"none.nsf\"/>"), &reply));
    EXPECT_EQ(20u, reply.size());
    EXPECT_EQ(L"<failure/>", AsText(reply));
    ASSERT_TRUE(Exchange(RequestBytes(L"<Get_Document/>"), &reply));
    EXPECT_EQ(L"<failure/>", AsText(reply));
}

TEST_F(PipeServer, AClientThatSendsNothingIsDroppedAndTheNextOneServed)
{
    PipeClient silent(pipeName_);
    ASSERT_TRUE(silent.Connected());
    silent.Disconnect();
    std::vector<BYTE> reply;
    ASSERT_TRUE(Exchange(RequestBytes(L"<get_modified_document_list db=\"mail\\one.nsf\"/>"), &reply));
    EXPECT_EQ(L"<documents></documents>", AsText(reply));
}

TEST_F(PipeServer, ARequestFillingTheBufferRunsAndOneCharacterMoreGetsNoReply)
{
    const std::wstring head = L"<get_modified_document_list db=\"mail\\one.nsf\" since=\"";
    const std::wstring tail = L"\"/>";
    const size_t fillUnits = brw::kRequestBufferBytes / sizeof(wchar_t) - 1 - wcslen(kPrologue) - head.size() -
                             tail.size();
    const std::vector<BYTE> exact = RequestBytes(head + std::wstring(fillUnits, L'x') + tail);
    ASSERT_EQ(brw::kRequestBufferBytes, exact.size());
    std::vector<BYTE> reply;
    ASSERT_TRUE(Exchange(exact, &reply));
    EXPECT_EQ(L"<documents></documents>", AsText(reply));
    EXPECT_FALSE(Exchange(RequestBytes(head + std::wstring(fillUnits + 1, L'x') + tail), &reply));
    ASSERT_TRUE(Exchange(RequestBytes(L"<get_modified_document_list db=\"mail\\one.nsf\"/>"), &reply))
        << "the server goes on after a dropped request";
}

TEST_F(PipeServer, ARequestWithoutItsNulStillEndsInsideTheBuffer)
{
    std::vector<BYTE> request = RequestBytes(L"<get_modified_document_list db=\"mail\\one.nsf\"/>");
    request.resize(request.size() - sizeof(wchar_t));
    std::vector<BYTE> reply;
    ASSERT_TRUE(Exchange(request, &reply));
    EXPECT_EQ(L"<documents></documents>", AsText(reply));
    std::vector<BYTE> odd(brw::kRequestBufferBytes - 1, 'a');
    ASSERT_TRUE(Exchange(odd, &reply));
    EXPECT_EQ(L"<failure/>", AsText(reply)) << "bytes that are no request";
}

TEST_F(PipeServer, ASecondClientWaitsForTheOneInstance)
{
    PipeClient first(pipeName_);
    ASSERT_TRUE(first.Connected());
    EXPECT_FALSE(WaitNamedPipeW(pipeName_.c_str(), 200)) << "busy while the first client is served";
    ASSERT_TRUE(first.Send(RequestBytes(L"<get_modified_document_list db=\"mail\\one.nsf\"/>")));
    std::vector<BYTE> reply;
    ASSERT_TRUE(first.Receive(&reply));
    first.Disconnect();
    ASSERT_TRUE(Exchange(RequestBytes(L"<get_database_list/>"), &reply));
    EXPECT_NE(std::wstring::npos, AsText(reply).find(L"<path>mail\\one.nsf</path>"));
}

// The thread itself: it publishes its listener while it serves and ends
// after a stop.
TEST(PipeServerThread, ServesUntilStoppedAndUnpublishesItsListener)
{
    brwtest::NotesSandbox sandbox;
    ASSERT_TRUE(sandbox.Start());
    const std::wstring name = UniquePipeName();
    brw::KernelHandle thread(CreateThread(nullptr, 0, &brw::PipeServerThread, new std::wstring(name), 0, nullptr));
    ASSERT_TRUE(thread);
    // The pipe appears once the thread has made it; nothing signals that.
    PipeClient client(L"");
    for (ULONGLONG deadline = GetTickCount64() + kWaitMs; GetTickCount64() < deadline;) {
        client = PipeClient(name);
        if (client.Connected() || WaitForSingleObject(thread.get(), 20) == WAIT_OBJECT_0) {
            break;
        }
    }
    ASSERT_TRUE(client.Connected());
    ASSERT_NE(nullptr, brw::CurrentListener());
    ASSERT_TRUE(client.Send(RequestBytes(L"<get_database_list/>")));
    std::vector<BYTE> reply;
    ASSERT_TRUE(client.Receive(&reply));
    EXPECT_EQ(0u, AsText(reply).find(L"<databases>"));
    client.Disconnect();
    EXPECT_TRUE(StopServer(thread.get(), *brw::CurrentListener(), name));
    EXPECT_EQ(nullptr, brw::CurrentListener());
}

}  // namespace
