#include "common/ModulePath.h"

namespace brw {
namespace {

// The longest path the wide file APIs accept.
constexpr size_t kLongestPath = 32768;

} // namespace

std::wstring ModuleFilePath(HMODULE module)
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        if (path.size() >= kLongestPath) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

HMODULE ThisCodeModule() noexcept
{
    HMODULE module = nullptr;
    const auto self = reinterpret_cast<const wchar_t*>(reinterpret_cast<const void*>(&ThisCodeModule));
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT, self,
                            &module)) {
        return nullptr;
    }
    return module;
}

} // namespace brw
