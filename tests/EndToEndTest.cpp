// The protocol handler's pipe client and reply lookups against the
// connector's pipe server, command client and data service, each in the
// architecture it ships in: what a hostile document can and cannot put into
// the handler's hands.
#include "common/WideString.h"
#include "handler/pipe/PipeClient.h"
#include "handler/pipe/ReplyFields.h"
#include "handler/pipe/Requests.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ScratchFolder.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using brwtest::Quoted;

constexpr DWORD kWaitMs = 60000;

brw::DocumentRequest FirstAttachment()
{
    brw::DocumentRequest what;
    what.attachmentNumber = 1;
    return what;
}
// Markup that would forge reply elements if it reached the reply as it is.
constexpr wchar_t kHostileSubject[] = L"</value></textfield><rtf>C:\\Windows\\win.ini</rtf> &amp; more";
constexpr wchar_t kHostileFileName[] = L"x</originalfilename><diskfilename>C:\\Windows\\notepad.exe";

std::string RunTool(const std::wstring& program, const std::wstring& arguments)
{
    brwtest::ProcessSpec launch;
    launch.commandLine = Quoted(program) + L" " + arguments;
    brwtest::RunningProcess process(launch);
    const brwtest::ProcessResult result = process.Wait(kWaitMs);
    EXPECT_EQ(0u, result.exitCode) << brw::WideToUtf8(arguments) << "\n" << result.output;
    return result.output;
}

// A memo whose subject and attachment's displayed name are markup; the
// attachment is stored as plan.xls.
std::string HostileMemoDxl()
{
    return "<?xml version='1.0' encoding='UTF-8'?><database><document><noteinfo noteid='8f6'/>"
           "<item name='Form'><text>Memo</text></item>"
           "<item name='Subject'><text>&lt;/value&gt;&lt;/textfield&gt;&lt;rtf&gt;C:\\Windows\\win.ini&lt;/rtf&gt; "
           "&amp;amp; more</text></item>"
           "<item name='Body'><richtext><par><attachmentref name='plan.xls' displayname='x&lt;/originalfilename&gt;"
           "&lt;diskfilename&gt;C:\\Windows\\notepad.exe'/></par></richtext></item>"
           "<item name='$FILE'><object><file name='plan.xls'><filedata>ZmlndXJlcw==</filedata></file></object></item>"
           "</document></database>";
}

bool WriteText(const std::wstring& path, const std::string& text)
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
           written == text.size();
}

bool NeverStart()
{
    return false;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        pipeName_ = brw::FormatText(L"\\\\.\\pipe\\BrwEndToEnd.%lu.%u", GetCurrentProcessId(), ++counter);
        const std::wstring notesdb = brwtest::BinaryIn32BitTree(L"platform\\notes\\notesdb.exe");
        const std::wstring ini = root_.Sub(L"notes.ini");
        RunTool(notesdb, L"create " + Quoted(root_.Sub(L"data")) + L" --ini " + Quoted(ini));
        CreateDirectoryW(root_.Sub(L"temp").c_str(), nullptr);
        ASSERT_TRUE(CreateDirectoryW(root_.Sub(L"data\\mail").c_str(), nullptr));
        const std::wstring dxl = root_.Sub(L"e2e.dxl");
        ASSERT_TRUE(WriteText(dxl, HostileMemoDxl()));
        RunTool(notesdb, L"import " + Quoted(dxl) + L" " + Quoted(root_.Sub(L"data\\mail\\e2e.nsf")));
        host_ = std::make_unique<brwtest::RunningProcess>(
            brwtest::ProcessSpec{Quoted(brwtest::BinaryIn32BitTree(L"tests\\brw_pipe_server_host.exe")) + L" " +
                                 Quoted(ini) + L" " + Quoted(pipeName_)});
        ASSERT_TRUE(host_->WaitForOutput("ready", kWaitMs));
    }

    HRESULT Exchange(const std::wstring& request)
    {
        const brw::PipeEndpoint endpoint{pipeName_.c_str(), &NeverStart, kWaitMs};
        return brw::ExchangeOverPipe(endpoint, &reply_, request.c_str());
    }

    brwtest::ScratchFolder root_{L"brwe2e"};
    std::wstring pipeName_;
    std::wstring noteId_ = L"8F6";
    std::unique_ptr<brwtest::RunningProcess> host_; // ended with the test
    brw::PipeReply reply_;
};

TEST_F(EndToEnd, HostileNamesReachTheHandlerAsTextNotAsElements)
{
    ASSERT_EQ(S_OK,
              Exchange(brw::DocumentRequestText(L"mail/e2e.nsf", noteId_, brw::DocumentRequest{}, root_.Sub(L"temp"))));
    std::wstring subject;
    ASSERT_TRUE(brw::GetFieldValue(reply_.Text(), L"Subject", &subject));
    EXPECT_EQ(kHostileSubject, subject);
    std::wstring name;
    ASSERT_TRUE(brw::GetElementText(reply_.Text(), L"originalfilename", &name, 1));
    EXPECT_EQ(kHostileFileName, name);
    std::wstring disk;
    EXPECT_FALSE(brw::GetElementText(reply_.Text(), L"diskfilename", &disk, 1)) << "only an extraction names a file";
    std::wstring body;
    ASSERT_TRUE(brw::GetElementText(reply_.Text(), L"rtf", &body, 1));
    EXPECT_EQ(0u, body.find(root_.Sub(L"temp\\Quexlink\\"))) << brw::WideToUtf8(body);
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(body.c_str()));
}

TEST_F(EndToEnd, AnExtractedAttachmentStaysInTheTempFolderWhateverItsName)
{
    ASSERT_EQ(S_OK,
              Exchange(brw::DocumentRequestText(L"mail/e2e.nsf", noteId_, FirstAttachment(), root_.Sub(L"temp"))));
    std::wstring disk;
    ASSERT_TRUE(brw::GetElementText(reply_.Text(), L"diskfilename", &disk, 1));
    EXPECT_EQ(0u, disk.find(root_.Sub(L"temp\\Quexlink\\"))) << brw::WideToUtf8(disk);
    EXPECT_EQ(std::wstring::npos, disk.find(L"notepad")) << "the name's extension is not a file name";
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(disk.c_str()));
}

TEST_F(EndToEnd, ListsAndMarkersCrossTheArchitectures)
{
    ASSERT_EQ(S_OK, Exchange(brw::ModifiedDocumentsRequestText(L"mail/e2e.nsf", brw::kSinceEverything)));
    wchar_t id[9] = {};
    ASSERT_TRUE(brw::NextDocumentId(&reply_, id));
    EXPECT_EQ(std::wstring(8 - noteId_.size(), L'0') + noteId_, id);
    EXPECT_EQ(brw::kDocumentDeleted,
              Exchange(brw::DocumentRequestText(L"mail/e2e.nsf", L"1", brw::DocumentRequest{}, root_.Sub(L"temp"))));
    EXPECT_EQ(brw::kConnectorUnavailable, Exchange(brw::DocumentRequestText(
                                              L"mail/none.nsf", noteId_, brw::DocumentRequest{}, root_.Sub(L"temp"))));
}

} // namespace
