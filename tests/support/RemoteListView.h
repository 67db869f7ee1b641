#pragma once
// Reads and selects the items of a list view that another process owns, as
// a user looking at the screen and clicking would. The control's messages
// carry pointers, which the system does not carry across processes, so
// each request is made in a block of the owner's memory.

#include <windows.h>

#include <string>
#include <vector>

namespace brwtest {

class RemoteListView {
public:
    // process: a handle with VM operation, read and write rights.
    RemoteListView(HANDLE process, HWND list);
    ~RemoteListView();
    RemoteListView(const RemoteListView&) = delete;
    RemoteListView& operator=(const RemoteListView&) = delete;

    bool Ready() const { return block_ != nullptr; }
    int Count() const;
    // The text the control shows in a cell; asking for it makes the owner
    // answer for that row, as painting it does.
    std::wstring Text(int item, int column) const;
    std::vector<std::wstring> Column(int column) const;
    // Selects exactly these items.
    bool Select(const std::vector<int>& items) const;

private:
    bool SetState(int item, UINT state) const;

    HANDLE process_;
    HWND list_;
    void* block_ = nullptr;
};

// The list view child with this id of a window, or null.
HWND ListViewChild(HWND window, int id);

} // namespace brwtest
