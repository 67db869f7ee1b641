#pragma once
// A Notes data directory of its own under the temporary folder: notes.ini
// and an ID made by the stand-in's database tool, Notes initialised on it
// for this process, databases built with the tool. For tests and
// benchmarks alike, so it reports failures instead of asserting.
#include "tests/support/ScratchFolder.h"

#include <windows.h>

#include <string>

namespace brwtest {

class NotesSandbox {
public:
    NotesSandbox();
    ~NotesSandbox();
    NotesSandbox(const NotesSandbox&) = delete;
    NotesSandbox& operator=(const NotesSandbox&) = delete;

    // Creates the data directory and initialises Notes on it.
    bool Start(const std::wstring& createOptions = L"--user \"CN=Test User/O=Brimlow\"");

    struct ToolResult {
        bool succeeded = false;
        std::string output;
    };
    ToolResult Notesdb(const std::wstring& arguments) const;
    // A new database; its folders are made first.
    ToolResult NewDatabase(const std::wstring& database, const std::wstring& options = L"") const;

    std::wstring DataPath(const std::wstring& relative) const { return dataDir_ + L"\\" + relative; }
    const std::wstring& DataDir() const { return dataDir_; }
    const std::wstring& TempDir() const { return tempDir_; }
    std::wstring RootPath(const std::wstring& relative) const { return root_.Sub(relative); }
    bool WriteFileBytes(const std::wstring& path, const std::string& bytes) const;

private:
    ScratchFolder root_{L"brwdata"};
    std::wstring dataDir_;
    std::wstring tempDir_;
    bool started_ = false;
};

} // namespace brwtest
