#include "notesdata/tests/NotesSandbox.h"

#include "common/Handles.h"
#include "common/WideString.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <notesapi.h>

namespace brwtest {

NotesSandbox::NotesSandbox() : dataDir_(root_.Sub(L"data")), tempDir_(root_.Sub(L"temp"))
{
    CreateDirectoryW(tempDir_.c_str(), nullptr);
}

NotesSandbox::~NotesSandbox()
{
    if (started_) {
        NotesTerm();
    }
}

bool NotesSandbox::Start(const std::wstring& createOptions)
{
    const std::wstring ini = root_.Sub(L"notes.ini");
    if (!Notesdb(L"create " + Quoted(dataDir_) + L" --ini " + Quoted(ini) + L" " + createOptions).succeeded) {
        return false;
    }
    std::string argument = "=" + brw::WideToUtf8(ini);
    char program[] = "brwtest";
    char* argv[] = {program, argument.data()};
    started_ = NotesInitExtended(2, argv) == NOERROR_STATUS;
    return started_;
}

NotesSandbox::ToolResult NotesSandbox::Notesdb(const std::wstring& arguments) const
{
    ProcessSpec launch;
    launch.commandLine = Quoted(BinaryIn32BitTree(L"platform\\notes\\notesdb.exe")) + L" " + arguments;
    RunningProcess tool(launch);
    const ProcessResult result = tool.Wait(120000);
    return {result.exitCode == 0, result.output};
}

NotesSandbox::ToolResult NotesSandbox::NewDatabase(const std::wstring& database, const std::wstring& options) const
{
    for (size_t slash = database.find(L'\\'); slash != std::wstring::npos; slash = database.find(L'\\', slash + 1)) {
        CreateDirectoryW(DataPath(database.substr(0, slash)).c_str(), nullptr);
    }
    return Notesdb(L"newdb " + Quoted(DataPath(database)) + (options.empty() ? L"" : L" " + options));
}

bool NotesSandbox::WriteFileBytes(const std::wstring& path, const std::string& bytes) const
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

} // namespace brwtest
