#include "connector/NoteIdDialog.h"

#include "connector/ConnectorResources.h"

namespace brw {
namespace {

// Filled inside the dialog procedure, which must not throw.
struct NoteIdAnswer {
    wchar_t text[kNoteIdTextLimit + 1] = {};
};

INT_PTR CALLBACK NoteIdProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SendDlgItemMessageW(dialog, IDC_NOTE_ID, EM_LIMITTEXT, kNoteIdTextLimit, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            auto* answer = reinterpret_cast<NoteIdAnswer*>(GetWindowLongPtrW(dialog, DWLP_USER));
            GetDlgItemTextW(dialog, IDC_NOTE_ID, answer->text, kNoteIdTextLimit + 1);
            EndDialog(dialog, IDOK);
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

} // namespace

std::optional<std::wstring> AskForNoteId(HINSTANCE instance, HWND owner)
{
    NoteIdAnswer answer;
    if (DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_INDEX_DOCUMENT), owner, &NoteIdProcedure,
                        reinterpret_cast<LPARAM>(&answer)) != IDOK) {
        return std::nullopt;
    }
    return std::wstring(answer.text);
}

} // namespace brw
