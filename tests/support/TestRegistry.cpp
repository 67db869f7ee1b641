#include "tests/support/TestRegistry.h"

#include "common/Handles.h"

namespace brwtest {
namespace {

using Key = brw::RegKey;

bool Open(HKEY root, const std::wstring& path, RegistryView view, Key& key)
{
    return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | ViewFlag(view), key.put()) == ERROR_SUCCESS;
}

bool Create(HKEY root, const std::wstring& path, RegistryView view, Key& key)
{
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_WRITE | ViewFlag(view), nullptr, key.put(),
                           nullptr) == ERROR_SUCCESS;
}

} // namespace

REGSAM ViewFlag(RegistryView view)
{
    switch (view) {
    case RegistryView::View32:
        return KEY_WOW64_32KEY;
    case RegistryView::View64:
        return KEY_WOW64_64KEY;
    default:
        return 0;
    }
}

bool SetString(HKEY root, const std::wstring& path, const std::wstring& name, const std::wstring& value,
               RegistryView view)
{
    Key key;
    if (!Create(root, path, view, key)) {
        return false;
    }
    auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), bytes) ==
           ERROR_SUCCESS;
}

bool SetDword(HKEY root, const std::wstring& path, const std::wstring& name, DWORD value, RegistryView view)
{
    Key key;
    return Create(root, path, view, key) &&
           RegSetValueExW(key.get(), name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof(value)) == ERROR_SUCCESS;
}

std::optional<std::wstring> GetString(HKEY root, const std::wstring& path, const std::wstring& name, RegistryView view)
{
    Key key;
    if (!Open(root, path, view, key)) {
        return std::nullopt;
    }
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ)) {
        return std::nullopt;
    }
    std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &bytes) !=
        ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(wcsnlen(text.c_str(), bytes / sizeof(wchar_t)));
    return text;
}

std::optional<DWORD> GetDword(HKEY root, const std::wstring& path, const std::wstring& name, RegistryView view)
{
    Key key;
    DWORD type = 0;
    DWORD value = 0;
    DWORD bytes = sizeof(value);
    if (!Open(root, path, view, key) ||
        RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_DWORD) {
        return std::nullopt;
    }
    return value;
}

bool KeyExists(HKEY root, const std::wstring& path, RegistryView view)
{
    Key key;
    return Open(root, path, view, key);
}

bool DeleteTree(HKEY root, const std::wstring& path, RegistryView view)
{
    Key key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_ALL_ACCESS | ViewFlag(view), key.put()) != ERROR_SUCCESS) {
        return !KeyExists(root, path, view);
    }
    LSTATUS status = RegDeleteTreeW(key.get(), nullptr);
    if (status != ERROR_SUCCESS) {
        return false;
    }
    return RegDeleteKeyExW(root, path.c_str(), ViewFlag(view), 0) == ERROR_SUCCESS;
}

ScratchKey::ScratchKey(HKEY root, std::wstring path, RegistryView view)
    : root_(root), path_(std::move(path)), view_(view)
{
    DeleteTree(root_, path_, view_);
}

ScratchKey::~ScratchKey()
{
    DeleteTree(root_, path_, view_);
}

} // namespace brwtest
