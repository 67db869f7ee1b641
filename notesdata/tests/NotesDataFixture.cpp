#include "notesdata/tests/NotesDataFixture.h"

#include <notesapi.h>
#include <objbase.h>

#include <cstdlib>

#include "common/Handles.h"
#include "common/WideString.h"
#include "notesdata/NotesDataService.h"
#include "notesdata/RtfExporter.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

namespace brwtest {
namespace {

std::wstring NotesdbProgram()
{
    return BinaryIn32BitTree(L"platform\\notes\\notesdb.exe");
}

}  // namespace

void NotesDataTest::SetUp()
{
    dataDir_ = root_.Sub(L"data");
    tempDir_ = root_.Sub(L"temp");
    CreateDirectoryW(tempDir_.c_str(), nullptr);
    const std::wstring ini = root_.Sub(L"notes.ini");
    Notesdb(L"create " + Quoted(dataDir_) + L" --ini " + Quoted(ini) + L" --user \"CN=Test User/O=Brimlow\"");
    // The service's own initialisation nests inside this one, as the
    // connector's does.
    std::string argument = "=" + brw::WideToUtf8(ini);
    char program[] = "notesdata_test";
    char* argv[] = {program, argument.data()};
    ASSERT_EQ(NOERROR_STATUS, NotesInitExtended(2, argv));
    comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    NotesInitExtended(0, nullptr);
    brw::LoadRtfExporter();
    service_ = new brw::NotesDataService();
    service_->AddRef();
}

void NotesDataTest::TearDown()
{
    if (service_ != nullptr) {
        service_->Release();
        service_ = nullptr;
    }
    if (comInitialised_) {
        CoUninitialize();
    }
    NotesTerm();
}

std::string NotesDataTest::Notesdb(const std::wstring& arguments)
{
    ProcessSpec launch;
    launch.commandLine = Quoted(NotesdbProgram()) + L" " + arguments;
    RunningProcess tool(launch);
    const ProcessResult result = tool.Wait(60000);
    EXPECT_EQ(0u, result.exitCode) << brw::WideToUtf8(arguments) << "\n" << result.output;
    return result.output;
}

unsigned long NotesDataTest::AddNote(const std::wstring& database, const std::wstring& options)
{
    const std::string output = Notesdb(L"add " + Quoted(DataPath(database)) + L" " + options);
    return std::strtoul(output.c_str(), nullptr, 16);
}

void NotesDataTest::NewDatabase(const std::wstring& database, const std::wstring& options)
{
    for (size_t slash = database.find(L'\\'); slash != std::wstring::npos; slash = database.find(L'\\', slash + 1)) {
        CreateDirectoryW(DataPath(database.substr(0, slash)).c_str(), nullptr);
    }
    Notesdb(L"newdb " + Quoted(DataPath(database)) + (options.empty() ? L"" : L" " + options));
}

CommandResult NotesDataTest::Run(const std::wstring& element)
{
    brw::ReplyBuffer reply;
    const std::wstring request = std::wstring(kXmlPrologue) + element;
    CommandResult result;
    result.result = service_->Execute(&reply, request.c_str());
    result.reply = reply.Text();
    return result;
}

std::wstring NotesDataTest::WriteInputFile(const std::wstring& name, const std::string& bytes)
{
    const std::wstring path = root_.Sub(name);
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    EXPECT_TRUE(file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    return path;
}

size_t CountOf(const std::wstring& text, const std::wstring& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); !part.empty() && at != std::wstring::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace brwtest
