// The pipe server with the real command client and data service: what a
// client of the pipe gets for each kind of request, and what the one
// instance means for a second client.
#include "connector/PipeServer.h"

#include "common/Handles.h"
#include "common/TokenUser.h"
#include "common/WideString.h"
#include "notesdata/tests/NotesSandbox.h"

#include <windows.h>
#include <aclapi.h>
#include <gtest/gtest.h>
#include <notesapi.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

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
    HANDLE Handle() const { return pipe_.get(); }
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
    return std::vector<BYTE>(bytes, bytes + (text.size() + 1) * sizeof(wchar_t)); // with its NUL
}

std::wstring AsText(const std::vector<BYTE>& bytes)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
}

// Every serving thread watches the stop in each of its waits: nothing but
// the request is needed, whatever the clients do.
bool StopServer(HANDLE thread, brw::Listener& listener)
{
    listener.RequestStop();
    return WaitForSingleObject(thread, kWaitMs) == WAIT_OBJECT_0;
}

// Clients to turn away before the real check runs again, and the process
// ids the server asked about.
std::atomic<int> g_clientsToRefuse{0};
std::atomic<DWORD> g_lastClientAsked{0};

bool AdmitUnlessTold(DWORD clientProcessId)
{
    g_lastClientAsked = clientProcessId;
    if (g_clientsToRefuse > 0) {
        --g_clientsToRefuse;
        return false;
    }
    return brw::RunsAsOwnUser(clientProcessId);
}

class PipeServer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sandbox_.Start());
        ASSERT_TRUE(sandbox_.NewDatabase(L"mail\\one.nsf").succeeded);
        g_clientsToRefuse = 0;
        g_lastClientAsked = 0;
        ASSERT_TRUE(listener_.Open());
        thread_.reset(CreateThread(nullptr, 0, &Serve, &listener_, 0, nullptr));
        ASSERT_TRUE(thread_);
    }
    void TearDown() override
    {
        if (!thread_) {
            return;
        }
        EXPECT_TRUE(StopServer(thread_.get(), listener_)) << "the server ends after a stop";
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
    brw::Listener listener_{pipeName_, &AdmitUnlessTold};
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
    const size_t fillUnits =
        brw::kRequestLimitBytes / sizeof(wchar_t) - 1 - wcslen(kPrologue) - head.size() - tail.size();
    const std::vector<BYTE> exact = RequestBytes(head + std::wstring(fillUnits, L'x') + tail);
    ASSERT_EQ(brw::kRequestLimitBytes, exact.size());
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
    std::vector<BYTE> odd(brw::kRequestLimitBytes - 1, 'a');
    ASSERT_TRUE(Exchange(odd, &reply));
    EXPECT_EQ(L"<failure/>", AsText(reply)) << "bytes that are no request";
}

TEST_F(PipeServer, AClientBeyondTheServingThreadsWaitsForAFreeInstance)
{
    std::vector<std::unique_ptr<PipeClient>> held;
    for (unsigned i = 0; i < brw::kServingThreads; ++i) {
        held.push_back(std::make_unique<PipeClient>(pipeName_));
        ASSERT_TRUE(held.back()->Connected()) << "client " << i << " is served at once";
    }
    EXPECT_FALSE(WaitNamedPipeW(pipeName_.c_str(), 200)) << "busy while every instance serves a client";
    ASSERT_TRUE(held.front()->Send(RequestBytes(L"<get_modified_document_list db=\"mail\\one.nsf\"/>")));
    std::vector<BYTE> reply;
    ASSERT_TRUE(held.front()->Receive(&reply));
    held.front()->Disconnect();
    ASSERT_TRUE(Exchange(RequestBytes(L"<get_database_list/>"), &reply));
    EXPECT_NE(std::wstring::npos, AsText(reply).find(L"<path>mail\\one.nsf</path>"));
}

TEST_F(PipeServer, AStopEndsEveryServingThreadWhileClientsHoldTheirConnections)
{
    std::vector<std::unique_ptr<PipeClient>> held;
    for (unsigned i = 0; i < brw::kServingThreads; ++i) {
        held.push_back(std::make_unique<PipeClient>(pipeName_));
        ASSERT_TRUE(held.back()->Connected()) << "client " << i;
    }
    ASSERT_TRUE(StopServer(thread_.get(), listener_)) << "no client's silence holds a thread";
    thread_.reset();
    std::vector<BYTE> reply;
    for (const auto& client : held) {
        EXPECT_FALSE(client->Send(RequestBytes(L"<get_database_list/>")) && client->Receive(&reply))
            << "the instances are gone";
    }
}

// Clients on threads of their own, each asking again and again for the
// document of its own database: every reply is whole and is its own.
struct DocumentAsker {
    std::wstring pipeName;
    std::wstring request;
    std::wstring ownSubject; // as the reply carries it
    int rounds = 0;
    int wrongReplies = 0;

    static DWORD WINAPI Run(void* parameter)
    {
        auto* asker = static_cast<DocumentAsker*>(parameter);
        for (int round = 0; round < asker->rounds; ++round) {
            PipeClient client(asker->pipeName);
            std::vector<BYTE> reply;
            const bool answered =
                client.Connected() && client.Send(RequestBytes(asker->request)) && client.Receive(&reply);
            const std::wstring text = AsText(reply);
            if (!answered || text.find(asker->ownSubject) == std::wstring::npos ||
                text.rfind(L"</document>") != text.size() - wcslen(L"</document>")) {
                ++asker->wrongReplies;
            }
        }
        return 0;
    }
};

TEST_F(PipeServer, ManyClientsAtOnceGetTheirOwnWholeReplies)
{
    constexpr int kClients = 2 * brw::kServingThreads;
    constexpr int kRounds = 15;
    std::vector<DocumentAsker> askers(kClients);
    for (int i = 0; i < kClients; ++i) {
        const std::wstring database = brw::FormatText(L"mail\\asker%d.nsf", i);
        ASSERT_TRUE(sandbox_.NewDatabase(database).succeeded);
        const brwtest::NotesSandbox::ToolResult added = sandbox_.Notesdb(
            L"add \"" + sandbox_.DataPath(database) + brw::FormatText(L"\" --form Memo --text Subject=asker%d", i));
        ASSERT_TRUE(added.succeeded) << added.output;
        const unsigned long id = std::strtoul(added.output.c_str(), nullptr, 16);
        askers[i] = {pipeName_,
                     L"<get_document db=\"" + database + L"\" tempdir=\"" + sandbox_.TempDir() +
                         brw::FormatText(L"\" id=\"%lX\" attnum=\"0\" manage=\"false\" preview=\"false\"/>", id),
                     brw::FormatText(L"<value>asker%d</value>", i), kRounds};
    }
    // Every thread started is waited for before the askers go.
    std::vector<brw::KernelHandle> threads;
    for (DocumentAsker& asker : askers) {
        threads.emplace_back(CreateThread(nullptr, 0, &DocumentAsker::Run, &asker, 0, nullptr));
        EXPECT_TRUE(threads.back());
    }
    for (const brw::KernelHandle& thread : threads) {
        if (thread) {
            EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread.get(), INFINITE));
        }
    }
    for (int i = 0; i < kClients; ++i) {
        EXPECT_EQ(0, askers[i].wrongReplies) << "client " << i;
    }
}

TEST_F(PipeServer, ItsPipeAdmitsExactlyThisUserAndSystem)
{
    PipeClient client(pipeName_);
    ASSERT_TRUE(client.Connected());
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_EQ(GetSecurityInfo(client.Handle(), SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl,
                              nullptr, &descriptor),
              static_cast<DWORD>(ERROR_SUCCESS));
    std::unique_ptr<void, decltype(&LocalFree)> held(descriptor, &LocalFree);
    ASSERT_NE(nullptr, dacl) << "a null DACL admits everyone";
    ASSERT_EQ(2u, dacl->AceCount);

    DWORD systemSid[SECURITY_MAX_SID_SIZE / sizeof(DWORD)] = {};
    DWORD systemSize = sizeof(systemSid);
    ASSERT_TRUE(CreateWellKnownSid(WinLocalSystemSid, nullptr, systemSid, &systemSize));
    const PSID expected[] = {brw::OwnProcessUser()->User.Sid, systemSid};
    for (DWORD index = 0; index < dacl->AceCount; ++index) {
        void* entry = nullptr;
        ASSERT_TRUE(GetAce(dacl, index, &entry));
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(entry);
        EXPECT_EQ(ACCESS_ALLOWED_ACE_TYPE, allowed->Header.AceType) << "entry " << index;
        EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&allowed->SidStart), expected[index])) << "entry " << index;
    }
}

TEST_F(PipeServer, AClientOfAnotherUserIsDroppedUnansweredAndTheNextOneServed)
{
    g_clientsToRefuse = 1;
    std::vector<BYTE> reply;
    EXPECT_FALSE(Exchange(RequestBytes(L"<get_modified_document_list db=\"mail\\one.nsf\"/>"), &reply));
    EXPECT_TRUE(reply.empty()) << "not even a failure reply";
    EXPECT_EQ(g_lastClientAsked, GetCurrentProcessId());
    ASSERT_TRUE(Exchange(RequestBytes(L"<get_modified_document_list db=\"mail\\one.nsf\"/>"), &reply));
    EXPECT_EQ(L"<documents></documents>", AsText(reply)) << "the real check admits our own user";
    EXPECT_EQ(0, g_clientsToRefuse);
}

TEST(ClientIdentity, OnlyProcessesOfOurOwnUserCount)
{
    EXPECT_TRUE(brw::RunsAsOwnUser(GetCurrentProcessId()));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(brw::RunsAsOwnUser(0xFFFFFFF0)) << "no such process";
    EXPECT_NE(0xdeadbeefu, GetLastError());
    EXPECT_FALSE(brw::IsSameUser(nullptr, brw::OwnProcessUser()));
    EXPECT_FALSE(brw::IsSameUser(brw::OwnProcessUser(), nullptr));
}

// Starts the real thread on name and waits until a client gets through, or
// the thread ends.
class ServerThread {
public:
    explicit ServerThread(const std::wstring& name)
        : name_(name), thread_(CreateThread(nullptr, 0, &brw::PipeServerThread, new std::wstring(name), 0, nullptr))
    {
    }
    HANDLE Handle() const { return thread_.get(); }
    // The pipe appears once the thread has made it; nothing signals that.
    PipeClient Connect()
    {
        PipeClient client(L"");
        for (ULONGLONG deadline = GetTickCount64() + kWaitMs; thread_ && GetTickCount64() < deadline;) {
            client = PipeClient(name_);
            if (client.Connected() || WaitForSingleObject(thread_.get(), 20) == WAIT_OBJECT_0) {
                break;
            }
        }
        return client;
    }

private:
    std::wstring name_;
    brw::KernelHandle thread_;
};

// The thread itself: a stop reaches it only while it serves; one that comes
// before or after touches nothing.
TEST(PipeServerThread, StopsOnlyWhileItServes)
{
    brwtest::NotesSandbox sandbox;
    ASSERT_TRUE(sandbox.Start());
    EXPECT_FALSE(brw::RequestPipeServerStop()) << "nothing to stop yet";
    EXPECT_FALSE(brw::IsPipeServerRunning());

    const std::wstring name = UniquePipeName();
    ServerThread server(name);
    ASSERT_TRUE(server.Handle());
    PipeClient client = server.Connect();
    ASSERT_TRUE(client.Connected()) << "an earlier stop does not keep a new server from serving";
    EXPECT_TRUE(brw::IsPipeServerRunning());
    ASSERT_TRUE(client.Send(RequestBytes(L"<get_database_list/>")));
    std::vector<BYTE> reply;
    ASSERT_TRUE(client.Receive(&reply));
    EXPECT_EQ(0u, AsText(reply).find(L"<databases>"));
    client.Disconnect();

    EXPECT_TRUE(brw::RequestPipeServerStop());
    EXPECT_TRUE(brw::RequestPipeServerStop()) << "a second stop is as good as the first";
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(server.Handle(), kWaitMs));
    EXPECT_FALSE(brw::IsPipeServerRunning());
    EXPECT_FALSE(brw::RequestPipeServerStop()) << "the thread has left; its listener is gone";
}

} // namespace
