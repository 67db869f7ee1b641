#include "connector/NewConnectorDialog.h"

#include "connector/ConnectorForm.h"
#include "connector/ConnectorResources.h"
#include "connector/ProductMessage.h"
#include "connector/SearchConnectorFile.h"

#include <commctrl.h>

#include <new>
#include <string>
#include <vector>

namespace brw {
namespace {

using namespace connectors;

constexpr int kVisibleKinds = 10;

// One more than the form accepts, so that a text too long is seen as such.
std::wstring ItemText(HWND dialog, int item)
{
    std::vector<wchar_t> text(kMaxConnectorUrlText + 2, L'\0');
    const UINT length = GetDlgItemTextW(dialog, item, text.data(), static_cast<int>(text.size()));
    return std::wstring(text.data(), length);
}

void FillKinds(HWND dialog)
{
    const HWND kinds = GetDlgItem(dialog, IDC_CONNECTOR_KINDS);
    for (const ConnectionsKind& kind : ConnectionsKinds()) {
        const LRESULT index = SendMessageW(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kind.listText));
        if (index >= 0) {
            SendMessageW(kinds, CB_SETITEMDATA, static_cast<WPARAM>(index), kind.itemData);
        }
    }
    SendMessageW(kinds, CB_SETMINVISIBLE, kVisibleKinds, 0);
}

std::optional<LPARAM> ChosenKind(HWND dialog)
{
    const HWND kinds = GetDlgItem(dialog, IDC_CONNECTOR_KINDS);
    const LRESULT index = SendMessageW(kinds, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return std::nullopt;
    }
    return static_cast<LPARAM>(SendMessageW(kinds, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void SuggestName(HWND dialog)
{
    const std::optional<LPARAM> chosen = ChosenKind(dialog);
    const ConnectionsKind* kind = chosen ? FindConnectionsKind(*chosen) : nullptr;
    if (kind != nullptr) {
        SetDlgItemTextW(dialog, IDC_CONNECTOR_NAME, kind->suggestedName);
    }
}

ConnectorForm ReadForm(HWND dialog)
{
    ConnectorForm form;
    form.source = IsDlgButtonChecked(dialog, IDC_CONNECTOR_SELECTED) == BST_CHECKED ? ConnectorSource::ConnectionsKind
                                                                                    : ConnectorSource::CustomQuery;
    form.chosenKind = ChosenKind(dialog);
    form.name = ItemText(dialog, IDC_CONNECTOR_NAME);
    form.server = ItemText(dialog, IDC_CONNECTOR_SERVER);
    form.query = ItemText(dialog, IDC_CONNECTOR_QUERY_TEXT);
    return form;
}

void WriteChosenConnector(HWND owner, const ConnectorDescription& connector, FavoriteLink link)
{
    ConnectorFolders folders;
    if (FAILED(UserConnectorFolders(&folders))) {
        return;
    }
    const ConnectorWriteResult result = WriteConnector(connector, folders, link);
    if (FAILED(result.file)) {
        ShowProductMessage(owner, ConnectorErrorMessage(result).c_str());
    }
}

// True when the dialog may close.
bool OnOk(HWND dialog)
{
    const HWND owner = GetWindow(dialog, GW_OWNER);
    const FormOutcome outcome = CheckConnectorForm(ReadForm(dialog));
    if (outcome.problem != FormProblem::None) {
        ShowProductMessage(owner, FormProblemMessage(outcome.problem));
        return false;
    }
    const FavoriteLink link =
        IsDlgButtonChecked(dialog, IDC_CONNECTOR_FAVORITE) == BST_CHECKED ? FavoriteLink::Create : FavoriteLink::Skip;
    WriteChosenConnector(owner, outcome.connector, link);
    return true;
}

INT_PTR OnCommand(HWND dialog, WPARAM wParam)
{
    switch (LOWORD(wParam)) {
    case IDOK:
        try {
            if (OnOk(dialog)) {
                EndDialog(dialog, IDOK);
            }
        } catch (const std::bad_alloc&) {
            EndDialog(dialog, IDCANCEL);
        }
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_CONNECTOR_KINDS:
        if (HIWORD(wParam) == CBN_SELCHANGE) {
            SuggestName(dialog);
            return TRUE;
        }
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK ConnectorProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM) noexcept
{
    switch (message) {
    case WM_INITDIALOG:
        CheckDlgButton(dialog, IDC_CONNECTOR_SELECTED, BST_CHECKED);
        CheckDlgButton(dialog, IDC_CONNECTOR_FAVORITE, BST_CHECKED);
        FillKinds(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    default:
        break;
    }
    return FALSE;
}

} // namespace

void ShowNewConnectorDialog(HINSTANCE instance, HWND owner)
{
    DialogBoxParamW(instance, MAKEINTRESOURCEW(IDD_NEW_CONNECTOR), owner, &ConnectorProcedure, 0);
}

} // namespace brw
