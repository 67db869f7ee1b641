// Applies and removes registry scripts for one module.
#pragma once

#include "common/RegistryScript.h"

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace brw {

enum class RegistrationScope {
    Machine, // HKEY_CLASSES_ROOT as written
    User,    // HKEY_CLASSES_ROOT becomes HKEY_CURRENT_USER\Software\Classes
};

// Token name without the percent signs, e.g. L"MODULE", and its text.
using Replacements = std::map<std::wstring, std::wstring, std::less<>>;

// A %NAME% whose name is in the replacements is replaced by its text,
// once (replaced text is not searched again). Any other percent sign is kept
// as written, so REG_EXPAND_SZ data such as %SystemRoot% needs no escaping.
std::wstring ExpandTokens(const std::wstring& text, const Replacements& replacements);

class Registrar {
public:
    Registrar(RegistrationScope scope, Replacements replacements)
        : scope_(scope), replacements_(std::move(replacements))
    {
    }

    // Writes the script's keys in order and stops at the first failure,
    // returning its HRESULT (HRESULT_FROM_WIN32 of the registry error). What
    // was written before the failure stays; the caller decides whether to
    // unregister. E_INVALIDARG for a root other than the three of a script,
    // a key path that is empty or has an empty part (after replacement: an
    // empty path would make ForceRemove wipe a whole root), or a value of
    // another type.
    HRESULT Register(const RegistryScript& script) const noexcept;

    // Removes the script's keys in reverse order, following each key's mode.
    // Keys and values that are already gone count as removed.
    HRESULT Unregister(const RegistryScript& script) const noexcept;

private:
    struct Target {
        HKEY root;
        std::wstring path;
    };

    HRESULT Resolve(const ScriptKey& key, Target* target) const;
    HRESULT RegisterKey(const ScriptKey& key) const;
    HRESULT UnregisterKey(const ScriptKey& key) const;
    HRESULT SetValue(HKEY key, const ScriptValue& value) const;
    HRESULT DeleteValues(HKEY key, const ScriptKey& scriptKey) const;

    RegistrationScope scope_;
    Replacements replacements_;
};

} // namespace brw
