#include "connector/DatabaseCommands.h"

#include "common/DebugConsole.h"
#include "connector/LateBinding.h"
#include "connector/NoteIdDialog.h"
#include "connector/PasswordCache.h"
#include "connector/PasswordDialogWatch.h"
#include "connector/ProductMessage.h"

#include <optional>
#include <string>
#include <vector>

namespace brw {
namespace {

// The picker's choice, or nothing when the user chose none.
std::optional<std::wstring> PickDatabase(HINSTANCE instance, HWND owner)
{
    const DataServiceCalls* data = DataService();
    if (data == nullptr) {
        return std::nullopt;
    }
    wchar_t path[kSelectedPathLength] = {};
    if (!data->selectDatabase(instance, owner, path, kSelectedPathLength)) {
        return std::nullopt;
    }
    path[kSelectedPathLength - 1] = L'\0';
    return std::wstring(path);
}

bool IndexOneDocument(const std::wstring& path, const std::wstring& noteId)
{
    const DataServiceCalls* data = DataService();
    return data != nullptr && data->indexDocument(path.c_str(), noteId.c_str());
}

} // namespace

void RequestCrawlNow()
{
    if (const DataServiceCalls* data = DataService()) {
        data->crawlNow();
    }
}

DatabaseCommands::DatabaseCommands(HINSTANCE instance, DatabaseInfoSource& source, IndexExclusion& exclusion)
    : instance_(instance), rows_(source, exclusion), view_(rows_)
{
}

bool DatabaseCommands::Create(HWND window)
{
    window_ = window;
    return view_.Create(window, instance_);
}

void DatabaseCommands::RefreshKeepingSelection()
{
    const std::vector<std::wstring> selected = view_.SelectedPaths();
    view_.Refresh();
    view_.SelectPaths(selected);
}

void DatabaseCommands::AddApplication()
{
    std::optional<std::wstring> chosen;
    const LoginOutcome login = WithPasswordWatch([&] { chosen = PickDatabase(instance_, window_); });
    if (chosen && rows_.Add(*chosen)) {
        view_.Refresh();
        RequestCrawlNow();
    }
    if (login == LoginOutcome::LoggedIn) {
        StorePasswordIfAsked();
    }
}

void DatabaseCommands::Delete()
{
    rows_.Delete(view_.SelectedRows());
    view_.Refresh();
    ShowProductMessage(nullptr, kRebuildAdvice);
}

void DatabaseCommands::IndexDocument()
{
    const std::optional<std::wstring> noteId = AskForNoteId(instance_, window_);
    if (!noteId) {
        return;
    }
    const std::wstring path = view_.FirstSelectedPath();
    if (path.empty()) {
        ShowProductMessage(window_, kSelectDatabaseFirstMessage);
        return;
    }
    if (noteId->empty()) {
        ShowProductMessage(window_, kEnterNoteIdMessage);
        return;
    }
    const bool added = IndexOneDocument(path, *noteId);
    LogText(added ? L"Added:" : L"Failed to add:", (path + L" " + *noteId).c_str());
}

void DatabaseCommands::ClearPassword()
{
    ClearCachedPassword();
    ShowProductMessage(nullptr, kPasswordClearedMessage);
}

} // namespace brw
