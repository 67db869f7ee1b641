#include "tests/support/BuildTrees.h"

#include <windows.h>

namespace brwtest {
namespace {

// The trees are Linux folders; Wine shows the root file system as drive Z:.
std::wstring FromUnixPath(const char* unixPath)
{
    std::wstring path = L"Z:";
    for (const char* p = unixPath; *p != '\0'; ++p) {
        path += (*p == '/') ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p));
    }
    if (!path.empty() && path.back() != L'\\') {
        path += L'\\';
    }
    return path;
}

} // namespace

std::wstring BinaryIn32BitTree(const std::wstring& relativePath)
{
    return FromUnixPath(BRW_WIN32_BINARY_DIR) + relativePath;
}

std::wstring BinaryIn64BitTree(const std::wstring& relativePath)
{
    return FromUnixPath(BRW_WIN64_BINARY_DIR) + relativePath;
}

std::wstring ThisProgramFolder()
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length < MAX_PATH ? length : 0);
    size_t slash = folder.find_last_of(L'\\');
    return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash + 1);
}

std::wstring Quoted(const std::wstring& path)
{
    return L"\"" + path + L"\"";
}

} // namespace brwtest
