#include "platform/winsearch/core/StateFolder.h"

#include "common/WideString.h"

#include <shlobj.h>

#include <cwctype>

namespace brw::winsearch {

namespace {

constexpr DWORD kMaxFolderLength = 1024;

bool CreateFolderChain(const std::wstring& folder)
{
    // SHCreateDirectoryExW also makes the parents and accepts an existing one.
    const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS || result == ERROR_FILE_EXISTS;
}

std::wstring DefaultFolder()
{
    wchar_t common[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common))) {
        return std::wstring();
    }
    return std::wstring(common) + L"\\Brimlow Search Stand-in\\SystemIndex";
}

} // namespace

std::wstring StateFolder()
{
    wchar_t configured[kMaxFolderLength] = {};
    const DWORD length = GetEnvironmentVariableW(kStateFolderVariable, configured, kMaxFolderLength);
    std::wstring folder =
        (length > 0 && length < kMaxFolderLength) ? std::wstring(configured, length) : DefaultFolder();
    while (folder.size() > 3 && (folder.back() == L'\\' || folder.back() == L'/')) {
        folder.pop_back();
    }
    if (folder.empty() || !CreateFolderChain(folder)) {
        return std::wstring();
    }
    return folder;
}

std::wstring StatePath(const std::wstring& folder, const wchar_t* name)
{
    return folder + L"\\" + name;
}

std::wstring StateObjectName(const std::wstring& folder, const wchar_t* purpose)
{
    // FNV-1a over the upper-cased path: the same folder spelt in another case
    // is the same folder on Windows.
    unsigned long long hash = 1469598103934665603ULL;
    for (wchar_t c : folder) {
        hash ^= static_cast<unsigned long long>(std::towupper(c));
        hash *= 1099511628211ULL;
    }
    return FormatText(L"Local\\BrwSearchStandIn.%08X%08X.%s", static_cast<unsigned>(hash >> 32),
                      static_cast<unsigned>(hash & 0xFFFFFFFFu), purpose);
}

} // namespace brw::winsearch
