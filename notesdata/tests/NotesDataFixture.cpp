#include "notesdata/tests/NotesDataFixture.h"

#include "notesdata/commands/NotesDataService.h"
#include "tests/support/TestRegistry.h"

#include <objbase.h>
#include <notesapi.h>

#include <cstdlib>

namespace brwtest {

void NotesDataTest::SetUp()
{
    ASSERT_TRUE(sandbox_.Start());
    comInitialised_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    // The service's own initialisation nests inside the sandbox's, as it
    // does inside the connector's.
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
}

std::string NotesDataTest::Notesdb(const std::wstring& arguments, const char* callerFile, int callerLine)
{
    const CallerTrace caller(callerFile, callerLine);
    const NotesSandbox::ToolResult result = sandbox_.Notesdb(arguments);
    EXPECT_TRUE(result.succeeded) << brw::WideToUtf8(arguments) << "\n" << result.output;
    return result.output;
}

unsigned long NotesDataTest::AddNote(const std::wstring& database, const std::wstring& options, const char* callerFile,
                                     int callerLine)
{
    const std::string output = Notesdb(L"add " + Quoted(DataPath(database)) + L" " + options, callerFile, callerLine);
    return std::strtoul(output.c_str(), nullptr, 16);
}

void NotesDataTest::NewDatabase(const std::wstring& database, const std::wstring& options, const char* callerFile,
                                int callerLine)
{
    const CallerTrace caller(callerFile, callerLine);
    const NotesSandbox::ToolResult result = sandbox_.NewDatabase(database, options);
    EXPECT_TRUE(result.succeeded) << brw::WideToUtf8(database) << "\n" << result.output;
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

std::wstring NotesDataTest::WriteInputFile(const std::wstring& name, const std::string& bytes, const char* callerFile,
                                           int callerLine)
{
    const CallerTrace caller(callerFile, callerLine);
    const std::wstring path = sandbox_.RootPath(name);
    EXPECT_TRUE(sandbox_.WriteFileBytes(path, bytes));
    return path;
}

namespace {

const std::wstring kSettingsKey = L"Software\\FenwoldInc\\BRW";
const std::wstring kDatabasesKey = kSettingsKey + L"\\Databases";

} // namespace

void NotesDataSettingsTest::SetUp()
{
    ClearSettings();
    NotesDataTest::SetUp();
}

void NotesDataSettingsTest::TearDown()
{
    NotesDataTest::TearDown();
    ClearSettings();
}

void NotesDataSettingsTest::ClearSettings()
{
    DeleteTree(HKEY_CURRENT_USER, kDatabasesKey);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"ManualSelection");
        RegDeleteValueW(key, L"Scanned");
        RegCloseKey(key);
    }
}

void NotesDataSettingsTest::Select(const std::wstring& path, const char* callerFile, int callerLine)
{
    const CallerTrace caller(callerFile, callerLine);
    ASSERT_TRUE(SetString(HKEY_CURRENT_USER, kDatabasesKey, path, L""));
}

void NotesDataSettingsTest::SetFlag(const wchar_t* name, DWORD value, const char* callerFile, int callerLine)
{
    const CallerTrace caller(callerFile, callerLine);
    ASSERT_TRUE(SetDword(HKEY_CURRENT_USER, kSettingsKey, name, value));
}

size_t CountOf(const std::wstring& text, const std::wstring& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); !part.empty() && at != std::wstring::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

} // namespace brwtest
