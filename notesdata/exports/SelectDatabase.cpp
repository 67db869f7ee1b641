#include "notesdata/exports/SelectDatabase.h"

#include "notesdata/notes/Db.h"
#include "notesdata/notes/NotesText.h"

#include <atomic>
#include <cwchar>
#include <optional>
#include <string>

namespace brw {
namespace {

constexpr wchar_t kDialogTitle[] = L"Select a mail file or mail archive file";
// Pairs of description and pattern, ended by an empty pair.
constexpr wchar_t kFilter[] = L"Notes Applications\0*.nsf\0";
// OFN_ENABLEHOOK without OFN_EXPLORER gives the old-style dialog, whose
// hook answers the file-name check by its return value.
constexpr DWORD kDialogFlags =
    OFN_HIDEREADONLY | OFN_ENABLEHOOK | OFN_FILEMUSTEXIST | OFN_NONETWORKBUTTON | OFN_DONTADDTORECENT;
static_assert(kDialogFlags == 0x2021024, "the dialog's flags");
constexpr WORD kDataDirectoryBytes = 256;
constexpr UINT_PTR kAcceptChoice = 0;
constexpr UINT_PTR kRejectChoice = 1;

// The dialog sends this registered message to its hook before it closes on
// a chosen file; the number is the same for the whole session.
std::atomic<UINT> g_fileNameOkMessage{0};

UINT_PTR CALLBACK SelectDatabaseHook(HWND dialog, UINT message, WPARAM, LPARAM lParam)
{
    if (message == WM_INITDIALOG) {
        g_fileNameOkMessage = RegisterWindowMessageW(FILEOKSTRINGW);
        return 0;
    }
    const UINT fileNameOk = g_fileNameOkMessage;
    if (fileNameOk != 0 && message == fileNameOk && lParam != 0) {
        const auto* choice = reinterpret_cast<const OPENFILENAMEW*>(lParam);
        return IsSelectableDatabase(*choice, dialog) ? kAcceptChoice : kRejectChoice;
    }
    return 0;
}

std::wstring InitialFolder()
{
    const std::optional<std::string> directory = ReadDataDirectory(kDataDirectoryBytes);
    return directory ? LmbcsToWide(*directory) : std::wstring();
}

bool HasFileName(const std::wstring& path)
{
    return !path.empty() && path.back() != L'\\' && path.back() != L'/' && path.back() != L':';
}

bool IsFile(const std::wstring& path)
{
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

} // namespace

bool IsSelectableDatabase(const OPENFILENAMEW& choice, HWND dialog)
{
    if (choice.lpstrFile == nullptr || choice.nMaxFile == 0) {
        return false;
    }
    const std::wstring path(choice.lpstrFile, wcsnlen(choice.lpstrFile, choice.nMaxFile));
    if (!HasFileName(path) || !IsFile(path)) {
        return false;
    }
    Db db;
    return db.OpenByPath(WideToLmbcs(path), dialog);
}

bool ShowSelectDatabaseDialog(HINSTANCE instance, HWND owner, wchar_t* path, int pathLength)
{
    if (path == nullptr || pathLength <= 0) {
        return false;
    }
    path[0] = L'\0';
    if (pathLength < 2) {
        return false;
    }
    const std::wstring folder = InitialFolder();
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.hInstance = instance;
    dialog.lpstrFilter = kFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = static_cast<DWORD>(pathLength);
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = kDialogTitle;
    dialog.Flags = kDialogFlags;
    dialog.lpfnHook = &SelectDatabaseHook;
    if (GetOpenFileNameW(&dialog)) {
        return true;
    }
    // A buffer too small for the choice comes back holding its needed size.
    path[0] = L'\0';
    return false;
}

} // namespace brw
