// The exchange with the connector over a real pipe, against a test server.
#include "handler/pipe/PipeClient.h"

#include "common/WideString.h"
#include "handler/pipe/ConnectorStart.h"
#include "handler/pipe/Requests.h"
#include "handler/tests/TestPipeServer.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <memory>
#include <thread>

namespace brw {
namespace {

using brwtest::TestPipeServer;
using brwtest::Utf16Bytes;

int g_startCalls = 0;
bool StartFails()
{
    ++g_startCalls;
    return false;
}
bool StartSucceeds()
{
    ++g_startCalls;
    return true;
}
bool StartMustNotRun()
{
    ADD_FAILURE() << "the connector was started for a pipe that exists";
    return false;
}
bool StartWithoutPause()
{
    ++g_startCalls;
    return StartConnectorAfter(0);
}
bool ServerOfAnotherUser(HANDLE)
{
    return false;
}

constexpr DWORD kPoison = 0xdeadbeef;

TestPipeServer::Responder Answer(std::vector<BYTE> reply)
{
    return [reply](const std::vector<BYTE>&) { return std::optional<std::vector<BYTE>>(reply); };
}

class PipeExchange : public ::testing::Test {
protected:
    void SetUp() override { g_startCalls = 0; }
    HRESULT Exchange(const wchar_t* request = L"<ping/>")
    {
        const PipeEndpoint endpoint = {name.c_str(), &StartMustNotRun, 5000};
        return ExchangeOverPipe(endpoint, &reply, request);
    }
    std::wstring name = brwtest::UniquePipeName();
    PipeReply reply;
};

TEST_F(PipeExchange, RequestTravelsAsOneMessageWithItsTerminator)
{
    TestPipeServer server(name, Answer(Utf16Bytes(L"<documents></documents>")));
    ASSERT_TRUE(server.Listening());
    ASSERT_EQ(S_OK, Exchange(L"<get_database_list/>"));
    const auto requests = server.Requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ(Utf16Bytes(std::wstring(L"<get_database_list/>") + L'\0'), requests[0]);
    EXPECT_STREQ(L"<documents></documents>", reply.Text());
    EXPECT_EQ(23u, reply.Length());
}

// Markers count only by their exact length; anything longer is a reply.
TEST_F(PipeExchange, FailureMarkersAreRecognisedByExactLength)
{
    struct Case {
        std::vector<BYTE> bytes;
        HRESULT expected;
    };
    std::vector<BYTE> failureWithNul = Utf16Bytes(std::wstring(L"<failure/>") + L'\0');
    std::vector<BYTE> failureOddByte = Utf16Bytes(L"<failure/>");
    failureOddByte.push_back('x');
    std::vector<BYTE> deletedWithNul = Utf16Bytes(std::wstring(L"<deletedoc/>") + L'\0');
    const Case cases[] = {
        {Utf16Bytes(L"<failure/>"), kConnectorUnavailable},
        {failureWithNul, kConnectorUnavailable},
        {failureOddByte, S_OK},
        {Utf16Bytes(L"<failure/>x"), S_OK},
        {Utf16Bytes(L"<failure/>    xyz"), S_OK},
        {Utf16Bytes(L"<deletedoc/>"), kDocumentDeleted},
        {deletedWithNul, S_OK}, // 26 bytes: no longer the whole-reply marker
        {Utf16Bytes(L"<deletedoc/>x"), S_OK},
        {Utf16Bytes(L"<failure"), S_OK},
        {{}, S_OK},
    };
    for (const Case& c : cases) {
        name = brwtest::UniquePipeName();
        TestPipeServer server(name, Answer(c.bytes));
        EXPECT_EQ(c.expected, Exchange()) << "reply of " << c.bytes.size() << " bytes";
    }
}

TEST_F(PipeExchange, LongReplyArrivesWholeAndTerminated)
{
    std::wstring big;
    for (int i = 0; big.size() < 100 * 1024; ++i) {
        big += L"<d>" + std::to_wstring(i) + L"</d>";
    }
    big += L"<end/>"; // 200 KB and more: seven reads of 32 KB
    TestPipeServer server(name, Answer(Utf16Bytes(big)));
    ASSERT_EQ(S_OK, Exchange());
    ASSERT_EQ(big.size(), reply.Length());
    EXPECT_EQ(0, std::wmemcmp(big.data(), reply.Text(), big.size()));
    EXPECT_EQ(L'\0', reply.Text()[big.size()]);

    // A shorter reply afterwards leaves nothing of the long one behind.
    TestPipeServer second(name = brwtest::UniquePipeName(), Answer(Utf16Bytes(L"<a/>")));
    ASSERT_EQ(S_OK, Exchange());
    EXPECT_STREQ(L"<a/>", reply.Text());
}

TEST_F(PipeExchange, ServerClosingWithoutReplyIsUnavailable)
{
    TestPipeServer server(name, [](const std::vector<BYTE>&) { return std::optional<std::vector<BYTE>>(); });
    reply.Assign(L"stale", 5);
    EXPECT_EQ(kConnectorUnavailable, Exchange());
    EXPECT_STREQ(L"", reply.Text());
}

TEST_F(PipeExchange, MissingPipeAsksForTheConnectorOnce)
{
    const PipeEndpoint failing = {name.c_str(), &StartFails, 5000};
    EXPECT_EQ(kConnectorUnavailable, ExchangeOverPipe(failing, &reply, L"<x/>"));
    EXPECT_EQ(1, g_startCalls);
    // A start that reports success still finds no pipe: the wait fails at once.
    const PipeEndpoint starting = {name.c_str(), &StartSucceeds, 5000};
    EXPECT_EQ(kConnectorUnavailable, ExchangeOverPipe(starting, &reply, L"<x/>"));
    EXPECT_EQ(2, g_startCalls);
}

// A pipe that exists but may not be opened stays so however often the
// connector is started: the exchange ends at once, with the open's error.
TEST_F(PipeExchange, PipeThatCannotBeOpenedEndsTheExchangeAtOnce)
{
    SECURITY_DESCRIPTOR nobody = {};
    ACL empty = {};
    ASSERT_TRUE(InitializeAcl(&empty, sizeof(empty), ACL_REVISION));
    ASSERT_TRUE(InitializeSecurityDescriptor(&nobody, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&nobody, TRUE, &empty, FALSE));
    SECURITY_ATTRIBUTES closed = {sizeof(closed), &nobody, FALSE};
    // Nobody may open it. Wine does not check a pipe's DACL when it is
    // opened (Windows does); that a pipe made for inbound data only cannot
    // be opened for reading gives the same refusal there.
    FileHandle squatter(
        CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_MESSAGE | PIPE_WAIT, 1, 0, 0, 0, &closed));
    ASSERT_TRUE(squatter);

    reply.Assign(L"stale", 5);
    SetLastError(kPoison);
    EXPECT_EQ(kConnectorUnavailable, Exchange());
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_STREQ(L"", reply.Text());
    EXPECT_EQ(0u, reply.Length());
    EXPECT_EQ(0, g_startCalls);
}

TEST_F(PipeExchange, ServerOfAnotherUserIsNeverSentTheRequest)
{
    TestPipeServer server(name, Answer(Utf16Bytes(L"<ok/>")));
    const PipeEndpoint foreign = {name.c_str(), &StartMustNotRun, 5000, &ServerOfAnotherUser};
    reply.Assign(L"stale", 5);
    SetLastError(kPoison);
    EXPECT_EQ(kConnectorUnavailable, ExchangeOverPipe(foreign, &reply, L"<get_document db=\"secret.nsf\"/>"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_STREQ(L"", reply.Text());
    // The same server, trusted, is served: the refusal was the check's.
    EXPECT_EQ(S_OK, Exchange(L"<get_database_list/>"));
    ASSERT_EQ(1u, server.Requests().size());
    EXPECT_EQ(L"<get_database_list/>", server.LastRequestText());
}

TEST_F(PipeExchange, MissingPipeLeavesNoEarlierReplyBehind)
{
    const PipeEndpoint failing = {name.c_str(), &StartFails, 5000};
    reply.Assign(L"stale", 5);
    SetLastError(kPoison);
    EXPECT_EQ(kConnectorUnavailable, ExchangeOverPipe(failing, &reply, L"<x/>"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "the start left the open's error";
    EXPECT_EQ(1, g_startCalls);
    EXPECT_STREQ(L"", reply.Text());
}

// One instance, held by a first client: a second one waits for it, and gives
// up when the wait runs out.
TEST_F(PipeExchange, BusyPipeIsWaitedForWithinTheTimeOut)
{
    KernelHandle received(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    KernelHandle release(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    int served = 0;
    TestPipeServer server(name, [&](const std::vector<BYTE>&) {
        if (served++ == 0) {
            SetEvent(received.get());
            WaitForSingleObject(release.get(), 30000);
        }
        return std::optional<std::vector<BYTE>>(Utf16Bytes(L"<ok/>"));
    });
    auto first = std::async(std::launch::async, [&] {
        PipeReply own;
        const PipeEndpoint endpoint = {name.c_str(), &StartMustNotRun, 5000};
        return ExchangeOverPipe(endpoint, &own, L"<first/>");
    });
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(received.get(), 30000));

    const PipeEndpoint impatient = {name.c_str(), &StartMustNotRun, 200};
    EXPECT_EQ(kConnectorUnavailable, ExchangeOverPipe(impatient, &reply, L"<second/>"));

    auto patient = std::async(std::launch::async, [&] {
        PipeReply own;
        const PipeEndpoint endpoint = {name.c_str(), &StartMustNotRun, 20000};
        return ExchangeOverPipe(endpoint, &own, L"<third/>");
    });
    SetEvent(release.get());
    EXPECT_EQ(S_OK, first.get());
    EXPECT_EQ(S_OK, patient.get());
    EXPECT_EQ(0, g_startCalls);
}

TEST(PipeServerCheck, SameUserServerIsAcceptedAnythingElseRefused)
{
    const std::wstring name = brwtest::UniquePipeName();
    TestPipeServer server(name, Answer(Utf16Bytes(L"<ok/>")));
    FileHandle pipe(CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(pipe);
    EXPECT_TRUE(IsServerOfSameUser(pipe.get()));

    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    FileHandle file(CreateFileW((std::wstring(folder) + L"brw-not-a-pipe.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(file);
    EXPECT_FALSE(IsServerOfSameUser(file.get()));
}

// The connector start reads the Notes key of the 32-bit view and a shared
// semaphore; these tests hold both locks.
class ConnectorStartTest : public ::testing::Test {
protected:
    static constexpr wchar_t kNotesKey[] = L"SOFTWARE\\Wow6432Node\\Lotus\\Notes";
    void SetUp() override
    {
        g_startCalls = 0;
        brwtest::DeleteTree(HKEY_LOCAL_MACHINE, kNotesKey);
    }
    void TearDown() override { brwtest::DeleteTree(HKEY_LOCAL_MACHINE, kNotesKey); }
};

TEST_F(ConnectorStartTest, WithoutNotesKeyNothingIsStartedAndNoPauseIsMade)
{
    wchar_t directory[kProgramDirectoryUnits] = {L'x'};
    EXPECT_FALSE(GetNotesProgramDirectory(directory));
    EXPECT_FALSE(StartConnectorAfter(INFINITE)); // would hang if it paused
}

TEST_F(ConnectorStartTest, ProgramDirectoryIsReadAsStored)
{
    ASSERT_TRUE(brwtest::SetString(HKEY_LOCAL_MACHINE, kNotesKey, L"Path", L"C:\\Notes"));
    wchar_t directory[kProgramDirectoryUnits] = {};
    ASSERT_TRUE(GetNotesProgramDirectory(directory));
    EXPECT_STREQ(L"C:\\Notes", directory);

    const std::wstring tooLong(400, L'a');
    ASSERT_TRUE(brwtest::SetString(HKEY_LOCAL_MACHINE, kNotesKey, L"Path", tooLong));
    EXPECT_FALSE(GetNotesProgramDirectory(directory));
}

TEST_F(ConnectorStartTest, MissingConnectorProgramFailsTheAttempt)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    ASSERT_TRUE(brwtest::SetString(HKEY_LOCAL_MACHINE, kNotesKey, L"Path", std::wstring(temp) + L"no-notes-here\\"));
    EXPECT_FALSE(StartConnectorAfter(0));
}

// A path cut to the buffer would start another program, or none.
TEST_F(ConnectorStartTest, ProgramPathThatDoesNotFitIsRefused)
{
    const size_t room = kProgramDirectoryUnits - 1 - (sizeof(kConnectorFileName) / sizeof(wchar_t) - 1);
    struct Case {
        std::wstring directory;
        DWORD error; // 0: accepted
    };
    const Case cases[] = {
        {L"C:\\" + std::wstring(room - 4, L'n') + L"\\", 0},
        {L"C:\\" + std::wstring(room - 3, L'n') + L"\\", ERROR_FILENAME_EXCED_RANGE},
        {L"C:\\Notes\"\\", ERROR_INVALID_NAME},
    };
    for (const Case& c : cases) {
        std::wstring path = L"untouched";
        SetLastError(kPoison);
        const bool fits = ConnectorProgramPath(c.directory.c_str(), &path);
        EXPECT_EQ(fits, c.error == 0) << c.directory.size() << " units";
        if (fits) {
            EXPECT_EQ(path, c.directory + kConnectorFileName);
            EXPECT_EQ(path.size(), static_cast<size_t>(kProgramDirectoryUnits - 1));
        } else {
            EXPECT_EQ(GetLastError(), c.error);
            EXPECT_EQ(L"untouched", path);
        }
    }

    std::wstring path;
    ASSERT_TRUE(ConnectorProgramPath(L"C:\\Notes", &path)) << "a directory stored without its closing backslash";
    EXPECT_EQ(std::wstring(L"C:\\Notes\\") + kConnectorFileName, path);

    ASSERT_TRUE(brwtest::SetString(HKEY_LOCAL_MACHINE, kNotesKey, L"Path", L"C:\\" + std::wstring(250, L'n') + L"\\"));
    SetLastError(kPoison);
    EXPECT_FALSE(StartConnectorAfter(0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
}

// "...\\Program Files (x86)\\Notes\\BRWConnector.EXE" unquoted and without an
// application name would start "...\\Program.exe" when one exists.
TEST_F(ConnectorStartTest, ProgramInADirectoryWithBlanksIsTheOneStarted)
{
    brwtest::ScratchFolder root(L"brwstart");
    const std::wstring notes = root.Sub(L"Program Files (x86)\\Notes\\");
    ASSERT_TRUE(CreateDirectoryW(root.Sub(L"Program Files (x86)").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(notes.c_str(), nullptr));
    wchar_t system[MAX_PATH] = {};
    ASSERT_NE(0u, GetSystemDirectoryW(system, MAX_PATH));
    const std::wstring anyProgram = std::wstring(system) + L"\\hostname.exe";
    ASSERT_TRUE(CopyFileW(anyProgram.c_str(), (notes + kConnectorFileName).c_str(), TRUE));
    ASSERT_TRUE(CopyFileW(anyProgram.c_str(), root.Sub(L"Program.exe").c_str(), TRUE));

    KernelHandle started = LaunchConnectorProcess(notes.c_str());
    ASSERT_TRUE(started) << GetLastError();
    wchar_t image[MAX_PATH] = {};
    DWORD units = MAX_PATH;
    ASSERT_TRUE(QueryFullProcessImageNameW(started.get(), 0, image, &units));
    EXPECT_EQ(CSTR_EQUAL, CompareStringOrdinal(image, -1, (notes + kConnectorFileName).c_str(), -1, TRUE))
        << WideToUtf8(image);
    EXPECT_EQ(WaitForSingleObject(started.get(), 30000), static_cast<DWORD>(WAIT_OBJECT_0));
}

// A service that impersonates the user would start the tray program as
// itself, in its own session; only an unimpersonated thread may start it.
TEST_F(ConnectorStartTest, ImpersonatingThreadNeverStartsTheConnector)
{
    EXPECT_TRUE(ActsAsProcessUser());
    KernelHandle semaphore(CreateSemaphoreW(nullptr, 0, 1, kConnectorStartSemaphore));
    ASSERT_TRUE(semaphore);
    ASSERT_TRUE(ReleaseSemaphore(semaphore.get(), 1, nullptr)); // an attempt that counts as a start
    const std::wstring missing = brwtest::UniquePipeName();
    std::thread worker([&] {
        ASSERT_TRUE(ImpersonateSelf(SecurityImpersonation));
        SetLastError(kPoison);
        EXPECT_FALSE(ActsAsProcessUser());
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_TOKEN_TYPE));
        SetLastError(kPoison);
        EXPECT_FALSE(StartConnectorAfter(0));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_TOKEN_TYPE));
        PipeReply own;
        const PipeEndpoint endpoint = {missing.c_str(), &StartWithoutPause, 5000};
        EXPECT_EQ(kConnectorUnavailable, ExchangeOverPipe(endpoint, &own, L"<x/>"));
        EXPECT_EQ(1, g_startCalls);
        EXPECT_TRUE(RevertToSelf());
    });
    worker.join();
    EXPECT_EQ(WaitForSingleObject(semaphore.get(), 0), static_cast<DWORD>(WAIT_OBJECT_0))
        << "the start was refused before the semaphore was looked at";
}

TEST_F(ConnectorStartTest, JustFinishedAttemptOfAnotherHandlerCountsAsStarted)
{
    KernelHandle semaphore(CreateSemaphoreW(nullptr, 0, 1, kConnectorStartSemaphore));
    ASSERT_TRUE(semaphore);
    ASSERT_TRUE(ReleaseSemaphore(semaphore.get(), 1, nullptr));
    EXPECT_TRUE(StartConnectorAfter(INFINITE)); // no key, no pause: the count is consumed
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(semaphore.get(), 0));
    EXPECT_FALSE(StartConnectorAfter(INFINITE));
}

TEST(ConnectorProcess, RunningProgramIsFoundWithoutRegardToCase)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = std::wstring(path).substr(std::wstring(path).find_last_of(L"\\/") + 1);
    CharUpperBuffW(&name[0], static_cast<DWORD>(name.size()));
    EXPECT_TRUE(IsConnectorRunning(name.c_str()));
    EXPECT_FALSE(IsConnectorRunning(L"NoSuchProgram-brw.exe"));
    EXPECT_FALSE(IsConnectorRunning(nullptr));
}

// A connector of another logon session serves another desktop.
TEST(ConnectorProcess, OnlyProcessesOfOurSessionCount)
{
    DWORD own = 0;
    ASSERT_TRUE(ProcessIdToSessionId(GetCurrentProcessId(), &own));
    EXPECT_TRUE(IsInSession(GetCurrentProcessId(), own));
    EXPECT_FALSE(IsInSession(GetCurrentProcessId(), own + 1));
}

TEST(RequestText, ValuesAreEscapedSoNoAttributeCanBeAdded)
{
    EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_modified_document_list "
              L"db=\"a&amp;b&lt;c&gt;d&quot;e&apos;f\" since=\"1995-05-06 11:00:00\"/>",
              ModifiedDocumentsRequestText(L"a&b<c>d\"e'f", kSinceEverything));
    DocumentRequest secondAsPreview;
    secondAsPreview.attachmentNumber = 2;
    secondAsPreview.preview = true;
    const std::wstring text = DocumentRequestText(L"mail/a.nsf\" attnum=\"9", L"1A2B", secondAsPreview, L"C:\\Temp");
    EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_document db=\"mail/a.nsf&quot; attnum=&quot;9\" "
              L"tempdir=\"C:\\Temp\" id=\"1A2B\" attnum=\"2\" manage=\"false\" preview=\"true\"/>",
              text);
    EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_modified_document_list db=\"x/&lt;y&gt;.nsf\" "
              L"since=\"1995-05-06 11:00:00\"/>",
              ModifiedDocumentsRequestText(L"x/<y>.nsf", kSinceEverything));
    EXPECT_EQ(L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_database_list selected=\"true\"/>",
              DatabaseListRequestText());
}

TEST(RequestText, TemporaryDirectoryFallsBackFromTempToTmpToFixedPath)
{
    struct Saved {
        std::wstring name;
        std::wstring value;
        bool present;
    };
    auto save = [](const wchar_t* name) {
        wchar_t buffer[32768];
        const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
        return Saved{name, n ? std::wstring(buffer, n) : std::wstring(), n != 0};
    };
    const Saved temp = save(L"TEMP");
    const Saved tmp = save(L"TMP");
    SetEnvironmentVariableW(L"TEMP", nullptr);
    SetEnvironmentVariableW(L"TMP", L"D:\\tmp");
    EXPECT_EQ(L"D:\\tmp", RequestTemporaryDirectory());
    SetEnvironmentVariableW(L"TMP", nullptr);
    EXPECT_EQ(L"C:\\temp", RequestTemporaryDirectory());
    for (const Saved& s : {temp, tmp}) {
        SetEnvironmentVariableW(s.name.c_str(), s.present ? s.value.c_str() : nullptr);
    }
}

} // namespace
} // namespace brw
