#pragma once
// A Notes data directory of the test's own, with databases built by the
// stand-in's database tool, and the data service running requests on it.
#include "common/WideString.h"
#include "connector/ReplyBuffer.h"
#include "notesdata/commands/ExecuteCommand.h"
#include "notesdata/tests/NotesSandbox.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/CallerTrace.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brwtest {

struct CommandResult {
    int result = -1;
    std::wstring reply;
};

inline constexpr wchar_t kXmlPrologue[] = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?>";

class NotesDataTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the database tool; fails the test when it does not exit with 0.
    std::string Notesdb(const std::wstring& arguments, const char* callerFile = __builtin_FILE(),
                        int callerLine = __builtin_LINE());
    // Adds a note with the tool's item options; its note id.
    unsigned long AddNote(const std::wstring& database, const std::wstring& options,
                          const char* callerFile = __builtin_FILE(), int callerLine = __builtin_LINE());
    // A new database (path relative to the data directory).
    void NewDatabase(const std::wstring& database, const std::wstring& options = L"",
                     const char* callerFile = __builtin_FILE(), int callerLine = __builtin_LINE());

    // The request after the XML prologue.
    CommandResult Run(const std::wstring& element);

    std::wstring DataPath(const std::wstring& relative) const { return sandbox_.DataPath(relative); }
    const std::wstring& DataDir() const { return sandbox_.DataDir(); }
    const std::wstring& TempDir() const { return sandbox_.TempDir(); }
    // A file beside the test's databases, as notesdb --attach takes it.
    std::wstring WriteInputFile(const std::wstring& name, const std::string& bytes,
                                const char* callerFile = __builtin_FILE(), int callerLine = __builtin_LINE());

    IExecuteCommand* Service() const { return service_; }

private:
    NotesSandbox sandbox_;
    IExecuteCommand* service_ = nullptr;
    bool comInitialised_ = false;
};

// A data service test that also uses the product's settings: the flags
// ManualSelection and Scanned and the Databases list, cleared before and
// after each case.
class NotesDataSettingsTest : public NotesDataTest {
protected:
    void SetUp() override;
    void TearDown() override;

    static void ClearSettings();
    static void Select(const std::wstring& path, const char* callerFile = __builtin_FILE(),
                       int callerLine = __builtin_LINE());
    static void SetFlag(const wchar_t* name, DWORD value = 1, const char* callerFile = __builtin_FILE(),
                        int callerLine = __builtin_LINE());
};

// Counts how often a text occurs in another.
size_t CountOf(const std::wstring& text, const std::wstring& part);

} // namespace brwtest
