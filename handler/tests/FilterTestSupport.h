// What the filter and accessor tests share: a connector stand-in on the
// real pipe name, temporary files like the connector's, and a filter drain.
#pragma once
#include "common/ComHolders.h"
#include "handler/tests/TestPipeServer.h"

#include <windows.h>
#include <filter.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace brwtest {

// Answers every request on the connector's pipe with Reply(request text).
class ConnectorStandIn {
public:
    explicit ConnectorStandIn(std::function<std::wstring(const std::wstring&)> reply);
    std::wstring LastRequest() { return server_->LastRequestText(); }
    size_t RequestCount() { return server_->Requests().size(); }

private:
    std::unique_ptr<TestPipeServer> server_;
};

// A file in the temporary folder, written as UTF-16, read-only when asked
// (as the connector writes them); removed at the end if still there.
enum class FileAccess { ReadOnly, Writable };

class TemporaryFile {
public:
    TemporaryFile(const std::wstring& text, FileAccess access, const wchar_t* extension = L".txt");
    ~TemporaryFile();
    const std::wstring& Path() const { return path_; }
    bool Exists() const { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    std::wstring path_;
};

struct Chunk {
    STAT_CHUNK stat = {};
    brw::PropVariant value; // value chunks
    std::wstring text;      // text chunks
};

// Pulls every chunk with its value or text; stops at the first failure,
// which is kept in *end.
std::vector<Chunk> Drain(IFilter* filter, HRESULT* end);

// The URL of a child value chunk, or empty.
std::wstring ChildUrl(const Chunk& chunk);

} // namespace brwtest
