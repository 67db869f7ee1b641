#pragma once
// The report list of the databases chosen for indexing, in the main
// window's client area. Its items hold no text: each carries the number of
// its row (item data), and the control asks for every cell when it draws
// it, which the rows answer from their one-row cache.
#include "connector/DatabaseRows.h"

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace brw {

inline constexpr int kDatabaseListId = 100;

class DatabaseListView {
public:
    explicit DatabaseListView(DatabaseRows& rows);
    virtual ~DatabaseListView();
    DatabaseListView(const DatabaseListView&) = delete;
    DatabaseListView& operator=(const DatabaseListView&) = delete;

    // The child control over parent's client area, with its five columns.
    bool Create(HWND parent, HINSTANCE instance);
    HWND Handle() const { return list_; }

    // Reads the list again and makes one item per row.
    void Fill();
    // Fill, then every row drawn again.
    void Refresh();
    // Fills width by height of the parent's client area.
    void Resize(int width, int height);

    // The parent's WM_NOTIFY: answers the control's request for a cell's
    // text; true when the notification was this control's and handled.
    bool OnNotify(const NMHDR* header);

    // The rows of the selected items, and the path of the first of them
    // (empty when nothing with a path is selected).
    std::vector<size_t> SelectedRows() const;
    std::wstring FirstSelectedPath() const;
    std::vector<std::wstring> SelectedPaths() const;
    // Selects exactly the rows of these databases.
    void SelectPaths(const std::vector<std::wstring>& paths);

private:
    void AddColumns();

    DatabaseRows& rows_;
    HWND list_ = nullptr;
};

} // namespace brw
