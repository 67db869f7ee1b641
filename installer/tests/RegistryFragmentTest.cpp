// Registry scripts as installer data: every value must reach the registry as
// the deliverable's own registration writes it, and what cannot must stop
// the build.
#include "installer/RegistryFragment.h"

#include "tests/support/CallerTrace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using brw::ComponentView;
using brw::FragmentError;
using brw::KeyMode;
using brw::RegistrationSource;
using brw::RegistryScript;
using brw::ScriptValue;

const brw::Replacements kTokens{{L"MODULE", L"[#Server.dll]"}, {L"APPID", L"{A5332841-FAD8-4A9C-ACF2-9389BDDD135C}"}};

RegistrationSource Source(RegistryScript script, ComponentView view = ComponentView::Registry64)
{
    return {L"Server", L"INSTALLDIR", view, kTokens, {std::move(script)}};
}

std::string Fragment(RegistryScript script, ComponentView view = ComponentView::Registry64)
{
    return brw::RegistrationFragment(L"Group", {Source(std::move(script), view)});
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

void ExpectContains(const std::string& text, const std::string& part, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE())
{
    brwtest::CallerTrace trace(file, line);
    EXPECT_NE(std::string::npos, text.find(part)) << "missing: " << part << "\nin:\n" << text;
}

TEST(WixRegistryValue, EachTypeIsGivenAsWixlPassesItToTheInstaller)
{
    struct Case {
        ScriptValue value;
        std::wstring type;
        std::wstring text;
    };
    const Case cases[] = {
        {ScriptValue::String(L"n", L"plain text"), L"string", L"plain text"},
        {ScriptValue::String(L"n", L""), L"string", L""},
        // wixl doubles a leading '#' of a string itself; doubling it here
        // too would write "##5" into the registry.
        {ScriptValue::String(L"n", L"#5"), L"string", L"#5"},
        // wixl passes expandable and binary text on raw: the installer's
        // marks must be in it, or the value arrives as a plain string.
        {ScriptValue::ExpandString(L"n", L"%SystemRoot%\\x"), L"expandable", L"#%%SystemRoot%\\x"},
        {ScriptValue::Binary(L"n", {0x00, 0xAB, 0x0F}), L"binary", L"#x00AB0F"},
        {ScriptValue::Binary(L"n", {}), L"binary", L"#x"},
        // wixl adds the '#' of a number; the installer reads it signed.
        {ScriptValue::Dword(L"n", 0), L"integer", L"0"},
        {ScriptValue::Dword(L"n", 0x7FFFFFFF), L"integer", L"2147483647"},
        {ScriptValue::Dword(L"n", 0xFFFFFFFF), L"integer", L"-1"},
        {ScriptValue::MultiString(L"n", {L"a", L"b[1]"}), L"string", L"[~]a[~]b[\\[]1[\\]][~]"},
    };
    for (const Case& c : cases) {
        const brw::WixValue wix = brw::WixRegistryValue(c.value, kTokens);
        EXPECT_EQ(c.type, wix.type) << c.text;
        EXPECT_EQ(c.text, wix.text);
    }
}

TEST(WixRegistryValue, TokensAreFormattedButTheScriptsOwnBracketsAreNot)
{
    EXPECT_EQ(L"\"[#Server.dll]\" \"%1\"",
              brw::WixRegistryValue(ScriptValue::Default(L"\"%MODULE%\" \"%1\""), kTokens).text);
    EXPECT_EQ(L"[\\[]ProgramFilesFolder[\\]] [#Server.dll]",
              brw::WixRegistryValue(ScriptValue::Default(L"[ProgramFilesFolder] %MODULE%"), kTokens).text);
    // A GUID's braces arrive as they are; unknown percent signs stay.
    EXPECT_EQ(L"{A5332841-FAD8-4A9C-ACF2-9389BDDD135C} %OTHER% 100%",
              brw::WixRegistryValue(ScriptValue::Default(L"%APPID% %OTHER% 100%"), kTokens).text);
}

TEST(WixRegistryValue, WhatTheRegistryCannotHoldStopsTheBuild)
{
    ScriptValue qword = ScriptValue::Default(L"x");
    qword.type = REG_QWORD;
    EXPECT_THROW(brw::WixRegistryValue(qword, kTokens), FragmentError);
    EXPECT_THROW(brw::WixRegistryValue(ScriptValue::MultiString(L"n", {L"a", L""}), kTokens), FragmentError);
}

TEST(RegistrationFragment, KeysFollowTheirModeAtInstallAndRemoval)
{
    const std::string xml = Fragment({
        {HKEY_CLASSES_ROOT, L"CLSID\\%APPID%", KeyMode::ForceRemove, {ScriptValue::Default(L"Class")}},
        {HKEY_CLASSES_ROOT, L"CLSID\\%APPID%\\Programmable", KeyMode::ForceRemove, {}},
        {HKEY_LOCAL_MACHINE, L"Software\\Shared", KeyMode::NoRemove, {}},
        {HKEY_CLASSES_ROOT, L"Plain", KeyMode::Normal, {ScriptValue::String(L"v", L"1"), ScriptValue::Dword(L"d", 7)}},
    });
    // ForceRemove: created, and removed with its subtree, whether or not it has values.
    ExpectContains(xml, "Root=\"HKCR\" Key=\"CLSID\\{A5332841-FAD8-4A9C-ACF2-9389BDDD135C}\" Name=\"*\"");
    ExpectContains(xml, "Key=\"CLSID\\{A5332841-FAD8-4A9C-ACF2-9389BDDD135C}\\Programmable\" Name=\"*\"");
    // A key without values of its own must still exist; a shared one is never removed.
    ExpectContains(xml, "Root=\"HKLM\" Key=\"Software\\Shared\" Name=\"+\"");
    // A key with values needs no row of its own.
    EXPECT_EQ(0u, Count(xml, "Key=\"Plain\" Name=\"+\""));
    EXPECT_EQ(0u, Count(xml, "Key=\"Plain\" Name=\"*\""));
    ExpectContains(xml, "Key=\"Plain\" Name=\"v\" Type=\"string\" Value=\"1\"");
    ExpectContains(xml, "Key=\"Plain\" Name=\"d\" Type=\"integer\" Value=\"7\"");
    // The default value has no name at all; it is the first value, so the
    // component's key path, never a row that only creates a key.
    ExpectContains(xml, "9389BDDD135C}\" Type=\"string\" Value=\"Class\" KeyPath=\"yes\"");
    EXPECT_EQ(1u, Count(xml, "KeyPath=\"yes\""));
}

TEST(RegistrationFragment, OneComponentPerSourceInItsViewWithOneKeyPath)
{
    const RegistryScript script{
        {HKEY_CLASSES_ROOT, L"A", KeyMode::Normal, {ScriptValue::String(L"x", L"1"), ScriptValue::String(L"y", L"2")}}};
    const std::string xml = brw::RegistrationFragment(
        L"Registration32", {Source(script, ComponentView::Registry32),
                            {L"Other", L"NOTESDIR", ComponentView::Registry64, kTokens, {script}}});
    ExpectContains(xml, "<ComponentGroup Id=\"Registration32\">");
    ExpectContains(xml, "<DirectoryRef Id=\"INSTALLDIR\">\n      <Component Id=\"ServerRegistration\"");
    ExpectContains(xml, "<DirectoryRef Id=\"NOTESDIR\">\n      <Component Id=\"OtherRegistration\"");
    ExpectContains(xml, "<ComponentRef Id=\"ServerRegistration\"/>\n      <ComponentRef Id=\"OtherRegistration\"/>");
    EXPECT_EQ(1u, Count(xml, "Win64=\"no\""));
    EXPECT_EQ(1u, Count(xml, "Win64=\"yes\""));
    EXPECT_EQ(2u, Count(xml, "KeyPath=\"yes\""));
    EXPECT_EQ(4u, Count(xml, "<RegistryValue "));
}

TEST(RegistrationFragment, ComponentGuidsStayTheSameFromBuildToBuild)
{
    const RegistryScript script{{HKEY_CLASSES_ROOT, L"A", KeyMode::Normal, {ScriptValue::Default(L"1")}}};
    const std::string first = Fragment(script);
    EXPECT_EQ(first, Fragment(script));
    const std::string other = brw::RegistrationFragment(
        L"Group", {{L"Another", L"INSTALLDIR", ComponentView::Registry64, kTokens, {script}}});
    const auto guidOf = [](const std::string& xml) {
        const std::size_t at = xml.find("Guid=\"");
        return at == std::string::npos ? std::string() : xml.substr(at + 6, 38);
    };
    ASSERT_EQ(38u, guidOf(first).size());
    EXPECT_NE(guidOf(first), guidOf(other));
}

TEST(RegistrationFragment, TextIsEscapedForXml)
{
    const std::string xml =
        Fragment({{HKEY_CLASSES_ROOT, L"K&<>", KeyMode::Normal, {ScriptValue::String(L"n\"'", L"<a & b>")}}});
    ExpectContains(xml, "Key=\"K&amp;&lt;&gt;\" Name=\"n&quot;&apos;\" Type=\"string\" Value=\"&lt;a &amp; b&gt;\"");
    // Line breaks and tabs would arrive as blanks if written as they are.
    const std::string lines =
        Fragment({{HKEY_CLASSES_ROOT, L"K", KeyMode::Normal, {ScriptValue::String(L"n", L"a\r\nb\tc")}}});
    ExpectContains(lines, "Value=\"a&#13;&#10;b&#9;c\"");
}

TEST(RegistrationFragment, WhatAPerMachinePackageCannotWriteStopsTheBuild)
{
    const auto value = ScriptValue::Default(L"1");
    EXPECT_THROW(Fragment({{HKEY_CURRENT_USER, L"Software\\X", KeyMode::Normal, {value}}}), FragmentError);
    EXPECT_THROW(Fragment({{HKEY_USERS, L"X", KeyMode::Normal, {value}}}), FragmentError);
    // An empty path, or one that a token empties, would name a whole root.
    EXPECT_THROW(Fragment({{HKEY_CLASSES_ROOT, L"", KeyMode::ForceRemove, {}}}), FragmentError);
    EXPECT_THROW(Fragment({{HKEY_CLASSES_ROOT, L"A\\\\B", KeyMode::Normal, {value}}}), FragmentError);
    EXPECT_THROW(Fragment({{HKEY_CLASSES_ROOT, L"A\\", KeyMode::Normal, {value}}}), FragmentError);
    EXPECT_THROW(brw::RegistrationFragment(L"G", {{L"S",
                                                   L"D",
                                                   ComponentView::Registry64,
                                                   {{L"EMPTY", L""}},
                                                   {{{HKEY_CLASSES_ROOT, L"%EMPTY%", KeyMode::ForceRemove, {}}}}}}),
                 FragmentError);
    // A component with no value has no key path to install by.
    EXPECT_THROW(brw::RegistrationFragment(L"G", {Source({})}), FragmentError);
    EXPECT_THROW(Fragment({{HKEY_CLASSES_ROOT, L"OnlyAKey", KeyMode::ForceRemove, {}}}), FragmentError);
}

} // namespace
