// A file the connector wrote for one reply (a body file, an extracted
// attachment) and the handler object it was written for. The holder owns it
// from the moment the reply names it, so it is deleted on every path: after
// use, on release before use, and when a later step fails.
#pragma once
#include <windows.h>

#include <string>

namespace brw {

// The connector marks each temporary file it writes read-only; only such a
// file is ours to delete.
void DeleteIfReadOnly(const std::wstring& path) noexcept;

class ConnectorFile {
public:
    ConnectorFile() noexcept = default;
    ~ConnectorFile() { DeleteIfReadOnly(path_); }
    ConnectorFile(const ConnectorFile&) = delete;
    ConnectorFile& operator=(const ConnectorFile&) = delete;

    // Takes the file at path, deleting one held before. Throws
    // std::bad_alloc after deleting the file at path.
    void Adopt(const std::wstring& path);
    const std::wstring& Path() const noexcept { return path_; }
    bool Empty() const noexcept { return path_.empty(); }

private:
    std::wstring path_;
};

} // namespace brw
