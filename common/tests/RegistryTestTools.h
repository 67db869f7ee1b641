// Registry tools for the tests of common/, beside tests/support's: a key
// name per test, values as raw bytes, and a dump of a subtree for comparing
// registry contents.
#pragma once

#include "tests/support/TestRegistry.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace brw::test {

// base\<Suite>.<Test>: a key no other test uses.
std::wstring KeyForThisTest(const wchar_t* base);

// A brwtest::ScratchKey at KeyForThisTest(base) that also removes the base
// once no other test's key is left in it.
class TestKey {
public:
    explicit TestKey(HKEY root = HKEY_CURRENT_USER, const wchar_t* base = L"Software\\BrimlowTest");
    ~TestKey();
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    const std::wstring& Path() const { return key_->Path(); }
    std::wstring Sub(const wchar_t* relative) const { return Path() + L"\\" + relative; }

private:
    HKEY root_;
    std::wstring base_;
    std::optional<brwtest::ScratchKey> key_;
};

struct RawValue {
    DWORD type = REG_NONE; // REG_NONE: no such value
    std::vector<BYTE> bytes;
};

std::vector<BYTE> BytesOf(const void* data, size_t size);
std::vector<BYTE> BytesOf(const std::wstring& textWithNuls);
RawValue DwordValue(DWORD value);

RawValue ReadRaw(HKEY root, const std::wstring& path, const wchar_t* name);
// Creates the key as needed; a REG_NONE value deletes the value instead.
LONG WriteRaw(HKEY root, const std::wstring& path, const wchar_t* name, const RawValue& value);

// Every key and value under root\path, one sorted line each.
std::wstring DumpTree(HKEY root, const std::wstring& path);

} // namespace brw::test
