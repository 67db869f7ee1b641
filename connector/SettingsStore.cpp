#include "connector/SettingsStore.h"

namespace brw::settings {
namespace {

constexpr DWORD kFlagOn = 1;

// The raw bytes of a value that must be a string, checked by the rules.
std::optional<std::wstring> ValidatedString(const std::vector<BYTE>& bytes, DWORD type, size_t maxChars)
{
    if ((type != REG_SZ && type != REG_EXPAND_SZ) || bytes.size() % sizeof(wchar_t) != 0 || bytes.empty()) {
        return std::nullopt;
    }
    const auto* text = reinterpret_cast<const wchar_t*>(bytes.data());
    size_t units = bytes.size() / sizeof(wchar_t);
    size_t length = wcsnlen(text, units);
    if (length == units || length > maxChars) {
        return std::nullopt;
    }
    return std::wstring(text, length);
}

} // namespace

RegKey OpenForReading(HKEY root, const wchar_t* path)
{
    RegKey key;
    if (RegOpenKeyExW(root, path, 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

RegKey OpenDatabasesKey(REGSAM access)
{
    RegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kDatabasesKeyPath, 0, nullptr, 0, access, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

std::optional<DWORD> ReadDword(HKEY key, const wchar_t* name)
{
    DWORD type = REG_NONE;
    DWORD value = 0;
    DWORD size = sizeof(value);
    if (key == nullptr ||
        RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof(value)) {
        return std::nullopt;
    }
    return value;
}

bool IsFlagSet(HKEY key, const wchar_t* name)
{
    std::optional<DWORD> value = ReadDword(key, name);
    return value && *value == kFlagOn;
}

bool IsFlagSet(HKEY root, const wchar_t* path, const wchar_t* name)
{
    RegKey key = OpenForReading(root, path);
    return key && IsFlagSet(key.get(), name);
}

std::optional<std::wstring> ReadString(HKEY key, const wchar_t* name, size_t maxChars)
{
    if (key == nullptr) {
        return std::nullopt;
    }
    DWORD type = REG_NONE;
    DWORD size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    // A value far beyond the limit is refused before anything is read.
    if (size > (maxChars + 1) * sizeof(wchar_t)) {
        return std::nullopt;
    }
    std::vector<BYTE> bytes(size);
    if (RegQueryValueExW(key, name, nullptr, &type, bytes.data(), &size) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    bytes.resize(size);
    return ValidatedString(bytes, type, maxChars);
}

std::optional<std::wstring> ReadString(HKEY root, const wchar_t* path, const wchar_t* name, size_t maxChars)
{
    RegKey key = OpenForReading(root, path);
    return ReadString(key.get(), name, maxChars);
}

bool WriteDword(HKEY key, const wchar_t* name, DWORD value)
{
    return key != nullptr && RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                            sizeof(value)) == ERROR_SUCCESS;
}

bool WriteString(HKEY key, const wchar_t* name, const std::wstring& value)
{
    // The size counts the terminating NUL, which readers insist on.
    auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return key != nullptr &&
           RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) == ERROR_SUCCESS;
}

bool DeleteValue(HKEY key, const wchar_t* name)
{
    if (key == nullptr) {
        return false;
    }
    LSTATUS status = RegDeleteValueW(key, name);
    return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

RegKey CreateMainKey()
{
    RegKey key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, key.put(),
                        nullptr) != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

RegKey OpenMainKeyForWriting()
{
    RegKey key;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKeyPath, 0, KEY_READ | KEY_WRITE, key.put()) != ERROR_SUCCESS) {
        key.reset();
    }
    return key;
}

std::vector<DatabaseEntry> ReadDatabaseList(size_t dataLimit)
{
    RegKey list = OpenDatabasesKey(KEY_READ);
    if (!list) {
        return {};
    }
    return ReadDatabaseListFrom(list.get(), dataLimit);
}

std::vector<DatabaseEntry> ReadDatabaseListFrom(HKEY list, size_t dataLimit)
{
    std::vector<DatabaseEntry> entries;
    for (DWORD index = 0;; ++index) {
        wchar_t name[kDatabasePathLimit + 1];
        DWORD nameLength = kDatabasePathLimit + 1;
        LSTATUS status = RegEnumValueW(list, index, name, &nameLength, nullptr, nullptr, nullptr, nullptr);
        if (status == ERROR_MORE_DATA) {
            continue; // a name beyond the limit: not a database this system wrote
        }
        if (status != ERROR_SUCCESS) {
            break;
        }
        entries.push_back({std::wstring(name, nameLength), ReadString(list, name, dataLimit)});
    }
    return entries;
}

void ResetDatabaseList()
{
    RegKey list = OpenDatabasesKey();
    if (!list) {
        return;
    }
    for (const DatabaseEntry& entry : ReadDatabaseList(0)) {
        WriteString(list.get(), entry.path.c_str(), std::wstring());
    }
}

} // namespace brw::settings
