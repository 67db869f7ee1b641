#include "tests/support/ScratchFolder.h"

#include "common/Handles.h"
#include "common/WideString.h"

#include <atomic>

namespace brwtest {
namespace {

struct FindTraits {
    using pointer = HANDLE;
    static pointer Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(pointer h) { return h != INVALID_HANDLE_VALUE; }
    static void Close(pointer h) { FindClose(h); }
};

std::atomic<unsigned long> g_counter{0};

} // namespace

ScratchFolder::ScratchFolder(const wchar_t* prefix)
{
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + prefix +
            brw::FormatText(L"-%lu-%lu-%llu", GetCurrentProcessId(), ++g_counter,
                            static_cast<unsigned long long>(GetTickCount64()));
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder()
{
    RemoveTree(path_);
}

void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    brw::UniqueResource<FindTraits> search(FindFirstFileW((folder + L"\\*").c_str(), &found));
    while (search) {
        const std::wstring name = found.cFileName;
        const std::wstring full = folder + L"\\" + name;
        if (name != L"." && name != L"..") {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        }
        if (!FindNextFileW(search.get(), &found)) {
            break;
        }
    }
    search.reset();
    RemoveDirectoryW(folder.c_str());
}

} // namespace brwtest
