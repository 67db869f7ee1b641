#pragma once
// A folder of the test's own under the temporary directory, removed with
// everything in it (read-only files included) when the holder goes.
#include <windows.h>

#include <string>

namespace brwtest {

class ScratchFolder {
public:
    explicit ScratchFolder(const wchar_t* prefix = L"brwtest");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::wstring& Path() const { return path_; }
    std::wstring Sub(const std::wstring& relative) const { return path_ + L"\\" + relative; }

private:
    std::wstring path_;
};

// Deletes a folder and everything below it; read-only files too.
void RemoveTree(const std::wstring& folder);

} // namespace brwtest
