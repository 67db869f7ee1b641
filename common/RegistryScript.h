// Registry scripts as data: the keys and values a COM server writes when it
// registers and takes away when it unregisters. A script is applied by the
// Registrar (common/Registrar.h). Texts (key paths, value names and string
// data) may carry replacement tokens such as %MODULE%.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace brw {

enum class KeyMode {
    // Created (or opened) on registration. On unregistration the script's
    // values are deleted, then the key itself if nothing else is left in
    // it, so data that others put there survives.
    Normal,
    // Deleted with its whole subtree and recreated on registration, so no
    // stale value survives a second registration; deleted with its subtree
    // on unregistration.
    ForceRemove,
    // Created when missing; never deleted. Unregistration deletes only the
    // script's own values in it (for shared keys such as HKCR\CLSID).
    NoRemove,
};

struct ScriptValue {
    std::wstring name; // empty: the key's default value
    DWORD type = REG_SZ;
    std::wstring text;               // REG_SZ, REG_EXPAND_SZ
    std::vector<std::wstring> texts; // REG_MULTI_SZ, none of them empty
    DWORD number = 0;                // REG_DWORD
    std::vector<BYTE> bytes;         // REG_BINARY

    static ScriptValue String(std::wstring name, std::wstring text)
    {
        ScriptValue value;
        value.name = std::move(name);
        value.text = std::move(text);
        return value;
    }
    static ScriptValue Default(std::wstring text) { return String(std::wstring(), std::move(text)); }
    static ScriptValue ExpandString(std::wstring name, std::wstring text)
    {
        ScriptValue value = String(std::move(name), std::move(text));
        value.type = REG_EXPAND_SZ;
        return value;
    }
    static ScriptValue Dword(std::wstring name, DWORD number)
    {
        ScriptValue value;
        value.name = std::move(name);
        value.type = REG_DWORD;
        value.number = number;
        return value;
    }
    static ScriptValue MultiString(std::wstring name, std::vector<std::wstring> texts)
    {
        ScriptValue value;
        value.name = std::move(name);
        value.type = REG_MULTI_SZ;
        value.texts = std::move(texts);
        return value;
    }
    static ScriptValue Binary(std::wstring name, std::vector<BYTE> bytes)
    {
        ScriptValue value;
        value.name = std::move(name);
        value.type = REG_BINARY;
        value.bytes = std::move(bytes);
        return value;
    }
};

struct ScriptKey {
    HKEY root; // HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE or HKEY_CURRENT_USER
    std::wstring path;
    KeyMode mode = KeyMode::Normal;
    std::vector<ScriptValue> values;
};

// Keys are registered in order and unregistered in reverse order, so a key
// is listed before its subkeys. Parents that are not listed are created as
// needed and never removed.
using RegistryScript = std::vector<ScriptKey>;

} // namespace brw
