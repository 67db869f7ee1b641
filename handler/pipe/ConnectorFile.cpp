#include "handler/pipe/ConnectorFile.h"

#include <new>

namespace brw {

void DeleteIfReadOnly(const std::wstring& path) noexcept
{
    if (path.empty()) {
        return;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY) ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return;
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path.c_str());
}

void ConnectorFile::Adopt(const std::wstring& path)
{
    DeleteIfReadOnly(path_);
    path_.clear();
    try {
        path_ = path;
    } catch (const std::bad_alloc&) {
        DeleteIfReadOnly(path); // unowned, it would outlive us
        throw;
    }
}

} // namespace brw
