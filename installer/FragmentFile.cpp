#include "installer/FragmentFile.h"

#include "common/Handles.h"

#include <windows.h>

#include <cstdio>

namespace brw {

int WriteFragmentFile(int argc, wchar_t** argv, const std::string& text)
{
    if (argc != 2) {
        std::fputs("usage: <generator> OUTPUT.wxs\n", stderr);
        return 1;
    }
    FileHandle file(CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!file || !WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr) ||
        written != text.size()) {
        std::fprintf(stderr, "cannot write %ls (error %lu)\n", argv[1], GetLastError());
        return 1;
    }
    return 0;
}

} // namespace brw
