#include "common/Registrar.h"

#include "common/Handles.h"

#include <new>
#include <utility>

namespace brw {

namespace {

constexpr wchar_t kUserClassesPath[] = L"Software\\Classes\\";
constexpr wchar_t kTokenMark = L'%';
constexpr wchar_t kPathSeparator = L'\\';

bool IsScriptRoot(HKEY root) noexcept
{
    return root == HKEY_CLASSES_ROOT || root == HKEY_LOCAL_MACHINE || root == HKEY_CURRENT_USER;
}

// Rejects "", "\a", "a\", "a\\b": each would name a different key than the
// script means, and an empty path would name the root itself.
bool IsWellFormedPath(const std::wstring& path) noexcept
{
    return !path.empty() && path.front() != kPathSeparator && path.back() != kPathSeparator &&
           path.find(L"\\\\") == std::wstring::npos;
}

bool IsGone(LONG status) noexcept
{
    return status == ERROR_FILE_NOT_FOUND;
}

HRESULT FromStatus(LONG status) noexcept
{
    return HRESULT_FROM_WIN32(static_cast<DWORD>(status));
}

HRESULT WriteValue(HKEY key, const std::wstring& name, DWORD type, const void* data, size_t bytes)
{
    if (bytes > MAXDWORD) {
        return E_INVALIDARG;
    }
    return FromStatus(
        RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(bytes)));
}

// Registry form of a string list: each text with its NUL, then one more NUL.
// An empty text inside would end the list early for every reader.
HRESULT BuildMultiString(const std::vector<std::wstring>& texts, std::wstring* block)
{
    for (const std::wstring& text : texts) {
        if (text.empty()) {
            return E_INVALIDARG;
        }
        block->append(text);
        block->push_back(L'\0');
    }
    block->push_back(L'\0');
    return S_OK;
}

HRESULT DeleteKeyIfEmpty(HKEY root, const std::wstring& path)
{
    DWORD subkeys = 0;
    DWORD values = 0;
    {
        RegKey key;
        const LONG status = RegOpenKeyExW(root, path.c_str(), 0, KEY_QUERY_VALUE, key.put());
        if (status != ERROR_SUCCESS) {
            return IsGone(status) ? S_OK : FromStatus(status);
        }
        const LONG query = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values,
                                            nullptr, nullptr, nullptr, nullptr);
        if (query != ERROR_SUCCESS) {
            return FromStatus(query);
        }
    }
    if (subkeys != 0 || values != 0) {
        return S_OK;
    }
    const LONG status = RegDeleteKeyW(root, path.c_str());
    return status == ERROR_SUCCESS || IsGone(status) ? S_OK : FromStatus(status);
}

HRESULT DeleteTree(HKEY root, const std::wstring& path)
{
    const LONG status = RegDeleteTreeW(root, path.c_str());
    return status == ERROR_SUCCESS || IsGone(status) ? S_OK : FromStatus(status);
}

} // namespace

std::wstring ExpandTokens(const std::wstring& text, const Replacements& replacements)
{
    std::wstring expanded;
    size_t position = 0;
    while (position < text.size()) {
        const size_t open = text.find(kTokenMark, position);
        const size_t close = open == std::wstring::npos ? open : text.find(kTokenMark, open + 1);
        if (close == std::wstring::npos) {
            expanded.append(text, position, std::wstring::npos);
            break;
        }
        expanded.append(text, position, open - position);
        const std::wstring_view name(text.data() + open + 1, close - open - 1);
        const auto found = replacements.find(name);
        if (found != replacements.end()) {
            expanded.append(found->second);
            position = close + 1;
        } else {
            // Not a token of ours: keep "%name" and let the closing mark
            // start the next candidate.
            expanded.append(text, open, close - open);
            position = close;
        }
    }
    return expanded;
}

HRESULT Registrar::Register(const RegistryScript& script) const noexcept
{
    try {
        for (const ScriptKey& key : script) {
            const HRESULT hr = RegisterKey(key);
            if (FAILED(hr)) {
                return hr;
            }
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Registrar::Unregister(const RegistryScript& script) const noexcept
{
    try {
        for (auto key = script.rbegin(); key != script.rend(); ++key) {
            const HRESULT hr = UnregisterKey(*key);
            if (FAILED(hr)) {
                return hr;
            }
        }
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT Registrar::Resolve(const ScriptKey& key, Target* target) const
{
    if (!IsScriptRoot(key.root)) {
        return E_INVALIDARG;
    }
    std::wstring path = ExpandTokens(key.path, replacements_);
    if (!IsWellFormedPath(path)) {
        return E_INVALIDARG;
    }
    if (scope_ == RegistrationScope::User && key.root == HKEY_CLASSES_ROOT) {
        target->root = HKEY_CURRENT_USER;
        target->path = kUserClassesPath + path;
    } else {
        target->root = key.root;
        target->path = std::move(path);
    }
    return S_OK;
}

HRESULT Registrar::RegisterKey(const ScriptKey& key) const
{
    Target target;
    HRESULT hr = Resolve(key, &target);
    if (SUCCEEDED(hr) && key.mode == KeyMode::ForceRemove) {
        hr = DeleteTree(target.root, target.path);
    }
    if (FAILED(hr)) {
        return hr;
    }
    RegKey created;
    const LONG status = RegCreateKeyExW(target.root, target.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                        KEY_SET_VALUE, nullptr, created.put(), nullptr);
    if (status != ERROR_SUCCESS) {
        return FromStatus(status);
    }
    for (const ScriptValue& value : key.values) {
        hr = SetValue(created.get(), value);
        if (FAILED(hr)) {
            return hr;
        }
    }
    return S_OK;
}

HRESULT Registrar::UnregisterKey(const ScriptKey& key) const
{
    Target target;
    const HRESULT hr = Resolve(key, &target);
    if (FAILED(hr)) {
        return hr;
    }
    if (key.mode == KeyMode::ForceRemove) {
        return DeleteTree(target.root, target.path);
    }
    RegKey opened;
    const LONG status = RegOpenKeyExW(target.root, target.path.c_str(), 0, KEY_SET_VALUE, opened.put());
    if (status != ERROR_SUCCESS) {
        return IsGone(status) ? S_OK : FromStatus(status);
    }
    const HRESULT deleted = DeleteValues(opened.get(), key);
    opened.reset();
    if (FAILED(deleted) || key.mode == KeyMode::NoRemove) {
        return deleted;
    }
    return DeleteKeyIfEmpty(target.root, target.path);
}

HRESULT Registrar::SetValue(HKEY key, const ScriptValue& value) const
{
    const std::wstring name = ExpandTokens(value.name, replacements_);
    switch (value.type) {
    case REG_SZ:
    case REG_EXPAND_SZ: {
        const std::wstring text = ExpandTokens(value.text, replacements_);
        return WriteValue(key, name, value.type, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    case REG_MULTI_SZ: {
        std::vector<std::wstring> texts;
        for (const std::wstring& text : value.texts) {
            texts.push_back(ExpandTokens(text, replacements_));
        }
        std::wstring block;
        const HRESULT hr = BuildMultiString(texts, &block);
        return FAILED(hr) ? hr : WriteValue(key, name, REG_MULTI_SZ, block.data(), block.size() * sizeof(wchar_t));
    }
    case REG_DWORD:
        return WriteValue(key, name, REG_DWORD, &value.number, sizeof(value.number));
    case REG_BINARY:
        return WriteValue(key, name, REG_BINARY, value.bytes.data(), value.bytes.size());
    default:
        return E_INVALIDARG;
    }
}

HRESULT Registrar::DeleteValues(HKEY key, const ScriptKey& scriptKey) const
{
    for (const ScriptValue& value : scriptKey.values) {
        const std::wstring name = ExpandTokens(value.name, replacements_);
        const LONG status = RegDeleteValueW(key, name.c_str());
        if (status != ERROR_SUCCESS && !IsGone(status)) {
            return FromStatus(status);
        }
    }
    return S_OK;
}

} // namespace brw
