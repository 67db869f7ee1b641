#include "handler/protocol/OpenTargets.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cwctype>
#include <iterator>

namespace brw {
namespace {

constexpr size_t kMaxNoteIdDigits = 8;

// Extensions that execute, install or redirect when opened. The system's own
// list decides first; this one covers systems whose list is shorter.
constexpr const wchar_t* kOwnDangerousExtensions[] = {
    L"ade",
    L"adp",
    L"app",
    L"application",
    L"appref-ms",
    L"bas",
    L"bat",
    L"chm",
    L"cmd",
    L"com",
    L"cpl",
    L"crt",
    L"dll",
    L"exe",
    L"gadget",
    L"hlp",
    L"hta",
    L"inf",
    L"ins",
    L"isp",
    L"jar",
    L"js",
    L"jse",
    L"lnk",
    L"mde",
    L"msc",
    L"msh",
    L"msi",
    L"msp",
    L"mst",
    L"ocx",
    L"pif",
    L"ps1",
    L"ps1xml",
    L"ps2",
    L"psc1",
    L"psm1",
    L"reg",
    L"scf",
    L"scr",
    L"sct",
    L"shb",
    L"sys",
    L"url",
    L"vb",
    L"vbe",
    L"vbs",
    L"vxd",
    L"website",
    L"ws",
    L"wsc",
    L"wsf",
    L"wsh",
    L"xbap",
    L"library-ms",
    L"searchconnector-ms",
    L"settingcontent-ms",
};

bool IsControl(wchar_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

bool HasControlCharacter(const std::wstring& text)
{
    return std::any_of(text.begin(), text.end(), IsControl);
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b)
{
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

// The absolute form of a drive path; empty for anything else.
std::wstring AbsoluteDrivePath(const std::wstring& path)
{
    if (path.size() < 3 || !iswalpha(path[0]) || path[1] != L':' || (path[2] != L'\\' && path[2] != L'/')) {
        return {};
    }
    if (HasControlCharacter(path) || path.find(L':', 2) != std::wstring::npos) {
        return {};
    }
    const DWORD units = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (units == 0) {
        return {};
    }
    std::wstring full(units, L'\0');
    const DWORD written = GetFullPathNameW(path.c_str(), units, &full[0], nullptr);
    if (written == 0 || written >= units) {
        return {};
    }
    full.resize(written);
    return full;
}

std::wstring ExtensionOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    const size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) {
        return {};
    }
    std::wstring extension = path.substr(dot + 1);
    // The shell ignores trailing dots and blanks when it picks the program.
    while (!extension.empty() && (extension.back() == L'.' || extension.back() == L' ')) {
        extension.pop_back();
    }
    return extension;
}

} // namespace

bool IsSafeNotesDatabasePath(const std::wstring& path)
{
    if (path.empty() || HasControlCharacter(path) || path.find(L'"') != std::wstring::npos) {
        return false;
    }
    const size_t first = path.find_first_not_of(L' ');
    return first != std::wstring::npos && path[first] != L'=' && path[first] != L'-';
}

bool IsNoteIdText(const std::wstring& noteId)
{
    return !noteId.empty() && noteId.size() <= kMaxNoteIdDigits &&
           std::all_of(noteId.begin(), noteId.end(), [](wchar_t c) { return c < 0x80 && iswxdigit(c); });
}

bool MakeNotesDatabaseTarget(const std::wstring& databasePath, std::wstring* target)
{
    if (!IsSafeNotesDatabasePath(databasePath)) {
        return false;
    }
    *target = kNotesUrlPrefix + databasePath;
    return true;
}

bool MakeNotesDocumentTarget(const std::wstring& databasePath, const std::wstring& noteId, std::wstring* target)
{
    if (!IsSafeNotesDatabasePath(databasePath) || !IsNoteIdText(noteId)) {
        return false;
    }
    *target = kNotesUrlPrefix + databasePath + kNotesNoteSeparator + noteId;
    return true;
}

bool LiesUnderFolder(const std::wstring& path, const std::wstring& folder)
{
    const std::wstring fullPath = AbsoluteDrivePath(path);
    std::wstring fullFolder = AbsoluteDrivePath(folder);
    if (fullPath.empty() || fullFolder.empty()) {
        return false;
    }
    if (fullFolder.back() != L'\\') {
        fullFolder.push_back(L'\\');
    }
    return fullPath.size() > fullFolder.size() && fullPath.back() != L'\\' &&
           EqualNoCase(fullFolder, fullPath.substr(0, fullFolder.size()));
}

bool IsDangerousFileType(const std::wstring& path)
{
    const std::wstring extension = ExtensionOf(path);
    if (extension.empty()) {
        // Without an extension the shell cannot tell what runs it; nothing
        // unknown is launched.
        return true;
    }
    if (AssocIsDangerous((L"." + extension).c_str())) {
        return true;
    }
    return std::any_of(std::begin(kOwnDangerousExtensions), std::end(kOwnDangerousExtensions),
                       [&](const wchar_t* own) { return EqualNoCase(own, extension); });
}

} // namespace brw
