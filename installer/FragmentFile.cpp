#include "installer/FragmentFile.h"

#include "common/Handles.h"

#include <windows.h>

#include <cstdio>

namespace brw {
namespace {

int WriteFragment(const wchar_t* path, const std::string& text)
{
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        std::fprintf(stderr, "cannot write %ls (error %lu)\n", path, GetLastError());
        return 1;
    }
    return 0;
}

int WriteLibrary(const wchar_t* path, const TypeLibraryDescription& library)
{
    const HRESULT hr = WriteTypeLibrary(library, path);
    if (FAILED(hr)) {
        std::fprintf(stderr, "cannot build the type library %ls (0x%08lX)\n", path, static_cast<unsigned long>(hr));
        return 1;
    }
    return 0;
}

} // namespace

int WriteGeneratedFiles(int argc, wchar_t** argv, const std::string& fragment, const TypeLibraryDescription& library)
{
    if (argc != 3) {
        std::fputs("usage: <generator> OUTPUT.wxs LIBRARY.tlb\n", stderr);
        return 1;
    }
    const int written = WriteFragment(argv[1], fragment);
    return written != 0 ? written : WriteLibrary(argv[2], library);
}

} // namespace brw
