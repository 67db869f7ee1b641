#include "platform/winsearch/core/StateFile.h"

#include "common/Handles.h"
#include "common/WideString.h"

namespace brw::winsearch {

namespace {

HRESULT LastError()
{
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

HRESULT WriteAll(HANDLE file, const std::string& bytes)
{
    if (bytes.size() > kMaxStateFileBytes) {
        return E_INVALIDARG;
    }
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size()) {
        return LastError();
    }
    return S_OK;
}

} // namespace

HRESULT ReadStateFile(const std::wstring& path, std::wstring* text)
{
    text->clear();
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        const DWORD error = GetLastError();
        return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? S_FALSE : HRESULT_FROM_WIN32(error);
    }
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size)) {
        return LastError();
    }
    if (size.QuadPart > kMaxStateFileBytes) {
        return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
    }
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && (!ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))) {
        return LastError();
    }
    bytes.resize(read);
    *text = Utf8ToWide(bytes);
    return S_OK;
}

HRESULT ReplaceStateFile(const std::wstring& path, const std::wstring& text)
{
    const std::wstring temporary = path + L".new";
    {
        FileHandle file(
            CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return LastError();
        }
        const HRESULT hr = WriteAll(file.get(), WideToUtf8(text));
        if (FAILED(hr)) {
            file.reset();
            DeleteFileW(temporary.c_str());
            return hr;
        }
    }
    if (!MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const HRESULT hr = LastError();
        DeleteFileW(temporary.c_str());
        return hr;
    }
    return S_OK;
}

HRESULT AppendStateFile(const std::wstring& path, const std::wstring& text)
{
    FileHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return LastError();
    }
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file.get(), &size) &&
        size.QuadPart + static_cast<LONGLONG>(text.size()) * 3 > kMaxStateFileBytes) {
        return HRESULT_FROM_WIN32(ERROR_DISK_FULL);
    }
    return WriteAll(file.get(), WideToUtf8(text));
}

std::vector<std::vector<std::wstring>> SplitRecords(const std::wstring& text)
{
    std::vector<std::vector<std::wstring>> records;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring line = text.substr(start, end - start);
        if (!line.empty() && line.back() == L'\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            std::vector<std::wstring> fields;
            size_t fieldStart = 0;
            for (;;) {
                const size_t tab = line.find(L'\t', fieldStart);
                fields.push_back(
                    line.substr(fieldStart, tab == std::wstring::npos ? std::wstring::npos : tab - fieldStart));
                if (tab == std::wstring::npos) {
                    break;
                }
                fieldStart = tab + 1;
            }
            records.push_back(std::move(fields));
        }
        start = end + 1;
    }
    return records;
}

bool IsFieldSafe(const std::wstring& text) noexcept
{
    for (wchar_t c : text) {
        if (c == L'\t' || c == L'\n' || c == L'\r' || c == L'\0') {
            return false;
        }
    }
    return true;
}

} // namespace brw::winsearch
