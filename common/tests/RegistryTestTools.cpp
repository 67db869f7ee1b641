#include "common/tests/RegistryTestTools.h"

#include "common/Handles.h"
#include "common/WideString.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace brw::test {

namespace {

std::wstring CurrentTestName()
{
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    std::replace(name.begin(), name.end(), '/', '.'); // parameterised names
    return Utf8ToWide(name);
}

void DumpKey(HKEY key, const std::wstring& relative, std::vector<std::wstring>* lines)
{
    wchar_t name[256];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name);
        DWORD size = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, data, &size) != ERROR_SUCCESS) {
            break;
        }
        std::wstring line = relative + L"|" + name + FormatText(L"|%lu|", type);
        for (DWORD b = 0; b < size; ++b) {
            line += FormatText(L"%02X", data[b]);
        }
        lines->push_back(line);
    }
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = ARRAYSIZE(name);
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        RegKey sub;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, sub.put()) == ERROR_SUCCESS) {
            lines->push_back(relative + L"\\" + name);
            DumpKey(sub.get(), relative + L"\\" + name, lines);
        }
    }
}

} // namespace

std::wstring KeyForThisTest(const wchar_t* base)
{
    return std::wstring(base) + L"\\" + CurrentTestName();
}

TestKey::TestKey(HKEY root, const wchar_t* base) : root_(root), base_(base)
{
    key_.emplace(root, KeyForThisTest(base));
}

TestKey::~TestKey()
{
    key_.reset();
    RegDeleteKeyW(root_, base_.c_str()); // refused while other tests' keys remain
}

std::vector<BYTE> BytesOf(const void* data, size_t size)
{
    const BYTE* bytes = static_cast<const BYTE*>(data);
    return std::vector<BYTE>(bytes, bytes + size);
}

std::vector<BYTE> BytesOf(const std::wstring& textWithNuls)
{
    return BytesOf(textWithNuls.data(), textWithNuls.size() * sizeof(wchar_t));
}

RawValue DwordValue(DWORD value)
{
    return RawValue{REG_DWORD, BytesOf(&value, sizeof(value))};
}

RawValue ReadRaw(HKEY root, const std::wstring& path, const wchar_t* name)
{
    RawValue value;
    RegKey key;
    BYTE data[4096];
    DWORD size = sizeof(data);
    DWORD type = REG_NONE;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put()) == ERROR_SUCCESS &&
        RegQueryValueExW(key.get(), name, nullptr, &type, data, &size) == ERROR_SUCCESS) {
        value = RawValue{type, BytesOf(data, size)};
    }
    return value;
}

LONG WriteRaw(HKEY root, const std::wstring& path, const wchar_t* name, const RawValue& value)
{
    RegKey key;
    LONG status = RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return status;
    }
    if (value.type == REG_NONE) {
        status = RegDeleteValueW(key.get(), name);
        return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : status;
    }
    return RegSetValueExW(key.get(), name, 0, value.type, value.bytes.data(), static_cast<DWORD>(value.bytes.size()));
}

std::wstring DumpTree(HKEY root, const std::wstring& path)
{
    std::vector<std::wstring> lines;
    RegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS) {
        DumpKey(key.get(), std::wstring(), &lines);
    }
    std::sort(lines.begin(), lines.end());
    std::wstring dump;
    for (const std::wstring& line : lines) {
        dump += line + L"\n";
    }
    return dump;
}

} // namespace brw::test
