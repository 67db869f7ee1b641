#include "installer/RegistryFragment.h"

#include "common/WideString.h"
#include "common/XmlText.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace brw {
namespace {

constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";

const wchar_t* RootName(HKEY root)
{
    if (root == HKEY_CLASSES_ROOT) {
        return L"HKCR";
    }
    if (root == HKEY_LOCAL_MACHINE) {
        return L"HKLM";
    }
    if (root == HKEY_CURRENT_USER) {
        // A per-machine package must not write one user's hive; a script
        // that does cannot be installed as data.
        throw FragmentError("a registration script writes HKEY_CURRENT_USER, which a per-machine package cannot");
    }
    throw FragmentError("a registration script names a root other than HKCR, HKLM or HKCU");
}

std::wstring Formatted(const std::wstring& text, const Replacements& tokens)
{
    return ExpandTokens(LiteralFormatted(text), tokens);
}

std::wstring BinaryText(const std::vector<BYTE>& bytes)
{
    std::wstring text = L"#x";
    for (const BYTE b : bytes) {
        text += kHexDigits[b >> 4];
        text += kHexDigits[b & 0x0F];
    }
    return text;
}

std::wstring MultiStringText(const std::vector<std::wstring>& texts, const Replacements& tokens)
{
    // "[~]" first and between: the value is replaced, not appended to.
    std::wstring text = L"[~]";
    for (const std::wstring& part : texts) {
        if (part.empty()) {
            throw FragmentError("a multi-string value holds an empty string, which the registry cannot keep");
        }
        text += Formatted(part, tokens) + L"[~]";
    }
    return text;
}

// The key must exist after installation although the script gives it no
// value; a ForceRemove key also goes with its whole subtree at removal.
const wchar_t* KeyOnlyName(KeyMode mode)
{
    return mode == KeyMode::ForceRemove ? L"*" : L"+";
}

void CheckPath(const std::wstring& path)
{
    if (path.empty() || path.front() == L'\\' || path.back() == L'\\' || path.find(L"\\\\") != std::wstring::npos) {
        throw FragmentError("a registration script has an empty key path or an empty part in one");
    }
}

struct Row {
    std::wstring root;
    std::wstring key;
    std::wstring name;
    bool hasName = false;
    WixValue value;
};

void AppendRow(const Row& row, bool keyPath, std::wstring* out)
{
    *out += L"        <RegistryValue Root=\"" + row.root + L"\" Key=\"" + XmlAttributeText(row.key) + L"\"";
    if (row.hasName) {
        *out += L" Name=\"" + XmlAttributeText(row.name) + L"\"";
    }
    *out += std::wstring(L" Type=\"") + row.value.type + L"\" Value=\"" + XmlAttributeText(row.value.text) + L"\"";
    if (keyPath) {
        *out += L" KeyPath=\"yes\"";
    }
    *out += L"/>\n";
}

std::vector<Row> ScriptRows(const RegistryScript& script, const Replacements& tokens)
{
    std::vector<Row> rows;
    for (const ScriptKey& key : script) {
        const std::wstring root = RootName(key.root);
        const std::wstring path = Formatted(key.path, tokens);
        CheckPath(ExpandTokens(key.path, tokens));
        if (key.values.empty() || key.mode == KeyMode::ForceRemove) {
            rows.push_back({root, path, KeyOnlyName(key.mode), true, {L"string", L""}});
        }
        for (const ScriptValue& value : key.values) {
            rows.push_back(
                {root, path, Formatted(value.name, tokens), !value.name.empty(), WixRegistryValue(value, tokens)});
        }
    }
    return rows;
}

// Component GUIDs must stay the same from one build to the next, or an
// upgrade would see new components; a name-based GUID (FNV-1a over the
// component's name, two differently seeded halves) gives that.
std::wstring StableGuid(const std::wstring& name)
{
    auto hash = [&name](unsigned long long seed) {
        unsigned long long h = seed;
        for (const wchar_t c : name) {
            h ^= static_cast<unsigned long long>(c);
            h *= 0x100000001B3ULL;
        }
        return h;
    };
    const unsigned long long high = hash(0xCBF29CE484222325ULL);
    const unsigned long long low = hash(0x84222325CBF29CE4ULL);
    GUID guid{};
    guid.Data1 = static_cast<unsigned long>(high >> 32);
    guid.Data2 = static_cast<unsigned short>(high >> 16);
    guid.Data3 = static_cast<unsigned short>((high & 0x0FFF) | 0x5000);
    for (int i = 0; i < 8; ++i) {
        guid.Data4[i] = static_cast<unsigned char>(low >> (56 - 8 * i));
    }
    guid.Data4[0] = static_cast<unsigned char>((guid.Data4[0] & 0x3F) | 0x80);
    return GuidToString(guid);
}

std::wstring ComponentId(const RegistrationSource& source)
{
    return source.name + L"Registration";
}

std::vector<Row> SourceRows(const RegistrationSource& source)
{
    std::vector<Row> rows;
    for (const RegistryScript& script : source.scripts) {
        for (Row& row : ScriptRows(script, source.tokens)) {
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

bool IsKeyOnly(const Row& row)
{
    return row.hasName && (row.name == L"*" || row.name == L"+");
}

std::wstring Component(const RegistrationSource& source)
{
    const std::vector<Row> rows = SourceRows(source);
    // The installer tells whether a component is installed by its key path,
    // which must be a value: a row that only creates a key cannot be one.
    const auto keyPath = std::find_if(rows.begin(), rows.end(), [](const Row& row) { return !IsKeyOnly(row); });
    if (keyPath == rows.end()) {
        throw FragmentError("a registration source has no registry value");
    }
    const std::wstring id = ComponentId(source);
    std::wstring out = L"    <DirectoryRef Id=\"" + source.directoryId + L"\">\n      <Component Id=\"" + id +
                       L"\" Guid=\"" + StableGuid(id) + L"\" Win64=\"" +
                       (source.view == ComponentView::Registry64 ? L"yes" : L"no") + L"\">\n";
    for (auto row = rows.begin(); row != rows.end(); ++row) {
        AppendRow(*row, row == keyPath, &out);
    }
    return out + L"      </Component>\n    </DirectoryRef>\n";
}

} // namespace

std::wstring LiteralFormatted(const std::wstring& text)
{
    std::wstring out;
    for (const wchar_t c : text) {
        if (c == L'[' || c == L']') {
            out += L"[\\";
            out += c;
            out += L']';
        } else {
            out += c;
        }
    }
    return out;
}

WixValue WixRegistryValue(const ScriptValue& value, const Replacements& tokens)
{
    switch (value.type) {
    case REG_SZ:
        return {L"string", Formatted(value.text, tokens)};
    case REG_EXPAND_SZ:
        return {L"expandable", L"#%" + Formatted(value.text, tokens)};
    case REG_DWORD:
        // The installer reads a signed number; the same 32 bits arrive.
        return {L"integer", std::to_wstring(static_cast<LONG>(value.number))};
    case REG_BINARY:
        return {L"binary", BinaryText(value.bytes)};
    case REG_MULTI_SZ:
        return {L"string", MultiStringText(value.texts, tokens)};
    default:
        throw FragmentError("a registration script holds a value type the package cannot write");
    }
}

std::string RegistrationFragment(const std::wstring& groupId, const std::vector<RegistrationSource>& sources)
{
    std::wstring out = L"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                       L"<!-- Generated at build time from the registration scripts; do not edit. -->\n"
                       L"<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
                       L"  <Fragment>\n";
    for (const RegistrationSource& source : sources) {
        out += Component(source);
    }
    out += L"    <ComponentGroup Id=\"" + groupId + L"\">\n";
    for (const RegistrationSource& source : sources) {
        out += L"      <ComponentRef Id=\"" + ComponentId(source) + L"\"/>\n";
    }
    out += L"    </ComponentGroup>\n  </Fragment>\n</Wix>\n";
    return WideToUtf8(out);
}

} // namespace brw
