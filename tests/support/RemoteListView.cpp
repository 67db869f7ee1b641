#include "tests/support/RemoteListView.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>

namespace brwtest {
namespace {

constexpr int kTextCapacity = 512;
// The item structure first, the text buffer after it.
constexpr size_t kTextOffset = 256;
constexpr size_t kBlockBytes = kTextOffset + kTextCapacity * sizeof(wchar_t);
static_assert(sizeof(LVITEMW) <= kTextOffset, "the item must fit before the text");

} // namespace

RemoteListView::RemoteListView(HANDLE process, HWND list)
    : process_(process), list_(list),
      block_(VirtualAllocEx(process, nullptr, kBlockBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE))
{
}

RemoteListView::~RemoteListView()
{
    if (block_ != nullptr) {
        VirtualFreeEx(process_, block_, 0, MEM_RELEASE);
    }
}

int RemoteListView::Count() const
{
    return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring RemoteListView::Text(int item, int column) const
{
    if (block_ == nullptr) {
        return L"<no block>";
    }
    auto* remoteText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(block_) + kTextOffset);
    LVITEMW request{};
    request.iSubItem = column;
    request.pszText = remoteText;
    request.cchTextMax = kTextCapacity;
    const wchar_t empty = L'\0';
    if (!WriteProcessMemory(process_, block_, &request, sizeof(request), nullptr) ||
        !WriteProcessMemory(process_, remoteText, &empty, sizeof(empty), nullptr)) {
        return L"<not written>";
    }
    const LRESULT length =
        SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(block_));
    wchar_t text[kTextCapacity] = {};
    if (!ReadProcessMemory(process_, remoteText, text, sizeof(text), nullptr)) {
        return L"<not read>";
    }
    const size_t kept = std::min<size_t>(static_cast<size_t>(std::max<LRESULT>(length, 0)), kTextCapacity - 1);
    return std::wstring(text, kept);
}

std::vector<std::wstring> RemoteListView::Column(int column) const
{
    std::vector<std::wstring> texts;
    const int count = Count();
    for (int item = 0; item < count; ++item) {
        texts.push_back(Text(item, column));
    }
    return texts;
}

bool RemoteListView::SetState(int item, UINT state) const
{
    LVITEMW request{};
    request.stateMask = LVIS_SELECTED;
    request.state = state;
    return block_ != nullptr && WriteProcessMemory(process_, block_, &request, sizeof(request), nullptr) &&
           SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(block_)) != 0;
}

bool RemoteListView::Select(const std::vector<int>& items) const
{
    // Item -1 stands for every item: nothing selected first.
    bool done = SetState(-1, 0);
    for (int item : items) {
        done = SetState(item, LVIS_SELECTED) && done;
    }
    return done;
}

HWND ListViewChild(HWND window, int id)
{
    return window != nullptr ? GetDlgItem(window, id) : nullptr;
}

} // namespace brwtest
