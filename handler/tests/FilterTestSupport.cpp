#include "handler/tests/FilterTestSupport.h"

#include "handler/pipe/PipeClient.h"

#include <filterr.h>

#include <atomic>
#include <cstring>

namespace brwtest {

ConnectorStandIn::ConnectorStandIn(std::function<std::wstring(const std::wstring&)> reply)
{
    server_ = std::make_unique<TestPipeServer>(brw::kConnectorPipeName, [reply](const std::vector<BYTE>& request) {
        std::wstring text(request.size() / 2, L'\0');
        std::memcpy(&text[0], request.data(), text.size() * 2);
        text = text.substr(0, text.find(L'\0'));
        return std::optional<std::vector<BYTE>>(Utf16Bytes(reply(text)));
    });
}

TemporaryFile::TemporaryFile(const std::wstring& text, FileAccess access, const wchar_t* extension)
{
    static std::atomic<unsigned> counter{0};
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    path_ = std::wstring(folder) + L"brw-handler-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(++counter) + extension;
    brw::FileHandle file(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &written, nullptr);
    file.reset();
    if (access == FileAccess::ReadOnly) {
        SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_TEMPORARY);
    }
}

TemporaryFile::~TemporaryFile()
{
    SetFileAttributesW(path_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(path_.c_str());
}

std::vector<Chunk> Drain(IFilter* filter, HRESULT* end)
{
    std::vector<Chunk> chunks;
    for (int guard = 0; guard < 10000000; ++guard) {
        Chunk chunk;
        const HRESULT hr = filter->GetChunk(&chunk.stat);
        if (FAILED(hr)) {
            *end = hr;
            return chunks;
        }
        if (chunk.stat.flags & CHUNK_VALUE) {
            PROPVARIANT* value = nullptr;
            if (SUCCEEDED(filter->GetValue(&value)) && value) {
                *chunk.value.put() = *value;
                CoTaskMemFree(value);
            }
        } else {
            WCHAR buffer[4096];
            ULONG count = 4096;
            while (filter->GetText(&count, buffer) == S_OK) {
                chunk.text.append(buffer, count);
                count = 4096;
            }
        }
        chunks.push_back(std::move(chunk));
    }
    *end = E_ABORT;
    return chunks;
}

std::wstring ChildUrl(const Chunk& chunk)
{
    const PROPVARIANT& v = chunk.value.get();
    if (v.vt != (VT_VECTOR | VT_VARIANT) || v.capropvar.cElems != 2 || v.capropvar.pElems[0].vt != VT_LPWSTR ||
        v.capropvar.pElems[1].vt != VT_FILETIME) {
        return {};
    }
    return v.capropvar.pElems[0].pwszVal;
}

} // namespace brwtest
