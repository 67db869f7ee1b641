#include "connector/DatabaseListView.h"

#include "common/WideString.h"

#include <algorithm>

namespace brw {
namespace {

struct ColumnSpec {
    const wchar_t* heading;
    int width;
};

constexpr ColumnSpec kColumns[kDatabaseColumnCount] = {
    {L"Included in Index", 100},     {L"Title", 200},        {L"Application File Path", 300},
    {L"Last Indexing Started", 200}, {L"Last Updated", 200},
};

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS;
constexpr DWORD kListExtendedStyle = LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT;

} // namespace

DatabaseListView::DatabaseListView(DatabaseRows& rows) : rows_(rows) {}

DatabaseListView::~DatabaseListView()
{
    if (list_ != nullptr) {
        DestroyWindow(list_);
    }
}

bool DatabaseListView::Create(HWND parent, HINSTANCE instance)
{
    const INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    RECT client = {};
    GetClientRect(parent, &client);
    list_ = CreateWindowExW(0, WC_LISTVIEWW, L"", kListStyle, 0, 0, client.right, client.bottom, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(kDatabaseListId)), instance, nullptr);
    if (list_ == nullptr) {
        return false;
    }
    ListView_SetExtendedListViewStyle(list_, kListExtendedStyle);
    AddColumns();
    return true;
}

void DatabaseListView::AddColumns()
{
    for (int column = 0; column < kDatabaseColumnCount; ++column) {
        LVCOLUMNW columnInfo = {};
        columnInfo.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        columnInfo.fmt = LVCFMT_LEFT;
        columnInfo.cx = kColumns[column].width;
        columnInfo.pszText = const_cast<wchar_t*>(kColumns[column].heading);
        columnInfo.iSubItem = column;
        SendMessageW(list_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&columnInfo));
    }
}

void DatabaseListView::Fill()
{
    ListView_DeleteAllItems(list_);
    rows_.Fill();
    for (size_t row = 0; row < rows_.Count(); ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = static_cast<int>(row);
        item.pszText = LPSTR_TEXTCALLBACKW;
        item.lParam = static_cast<LPARAM>(row);
        SendMessageW(list_, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
}

void DatabaseListView::Refresh()
{
    Fill();
    const int count = ListView_GetItemCount(list_);
    if (count > 0) {
        ListView_RedrawItems(list_, 0, count - 1);
    }
}

void DatabaseListView::Resize(int width, int height)
{
    MoveWindow(list_, 0, 0, width, height, TRUE);
}

bool DatabaseListView::OnNotify(const NMHDR* header)
{
    if (header == nullptr || header->hwndFrom != list_ || header->code != LVN_GETDISPINFOW) {
        return false;
    }
    // The control asks in its own buffer; only the text is ours to give.
    auto* request = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header));
    if ((request->item.mask & LVIF_TEXT) != 0 && request->item.lParam >= 0) {
        const std::wstring text = rows_.CellText(static_cast<size_t>(request->item.lParam), request->item.iSubItem);
        CopyBounded(request->item.pszText, request->item.cchTextMax, text.c_str());
    }
    return true;
}

std::vector<size_t> DatabaseListView::SelectedRows() const
{
    std::vector<size_t> rows;
    for (int index = ListView_GetNextItem(list_, -1, LVNI_SELECTED); index != -1;
         index = ListView_GetNextItem(list_, index, LVNI_SELECTED)) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        if (SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
            rows.push_back(static_cast<size_t>(item.lParam));
        }
    }
    return rows;
}

std::wstring DatabaseListView::FirstSelectedPath() const
{
    for (size_t row : SelectedRows()) {
        std::wstring path = rows_.PathOf(row);
        if (!path.empty()) {
            return path;
        }
    }
    return {};
}

std::vector<std::wstring> DatabaseListView::SelectedPaths() const
{
    std::vector<std::wstring> paths;
    for (size_t row : SelectedRows()) {
        std::wstring path = rows_.PathOf(row);
        if (!path.empty()) {
            paths.push_back(std::move(path));
        }
    }
    return paths;
}

void DatabaseListView::SelectPaths(const std::vector<std::wstring>& paths)
{
    const int count = ListView_GetItemCount(list_);
    for (int index = 0; index < count; ++index) {
        LVITEMW item = {};
        item.mask = LVIF_PARAM;
        item.iItem = index;
        if (!SendMessageW(list_, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) {
            continue;
        }
        const std::wstring path = rows_.PathOf(static_cast<size_t>(item.lParam));
        const bool wanted = !path.empty() && std::find(paths.begin(), paths.end(), path) != paths.end();
        ListView_SetItemState(list_, index, wanted ? LVIS_SELECTED : 0, LVIS_SELECTED);
    }
}

} // namespace brw
