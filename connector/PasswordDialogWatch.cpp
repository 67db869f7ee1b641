#include "connector/PasswordDialogWatch.h"

#include "common/DebugConsole.h"
#include "connector/LateBinding.h"
#include "connector/PasswordCache.h"

#include <commctrl.h>

#include <string>

namespace brw {
namespace {

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr UINT_PTR kSubclassId = 0x42525750; // any value unique to this extension
constexpr int kIdentityLimit = 259;
constexpr int kGrowWidth = 100;
constexpr int kGrowHeight = 50;
constexpr RECT kCheckBoxPlace{10, 130, 210, 150};

// Main thread only: the hook is thread-local and so is every dialog it sees.
struct PromptState {
    HHOOK hook = nullptr;
    bool watching = false;
    wchar_t identity[kIdentityLimit + 1] = {};
    PasswordText typed;
    bool rememberRequested = false;
    bool cancelled = false;
    bool autoSubmitted = false; // never cleared: the cache is tried once per run
};

PromptState& State()
{
    static PromptState state;
    return state;
}

bool IsPasswordDialog(HWND dialog)
{
    return GetDlgItem(dialog, kIdentityItem) != nullptr && GetDlgItem(dialog, kPasswordItem) != nullptr;
}

// Moves a child dx to the right and widens it by dw, in the dialog's
// coordinates.
void Adjust(HWND dialog, HWND item, int dx, int dw)
{
    RECT place{};
    if (item == nullptr || !GetWindowRect(item, &place)) {
        return;
    }
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    SetWindowPos(item, nullptr, place.left + dx, place.top, place.right - place.left + dw, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void MakeRoom(HWND dialog)
{
    RECT frame{};
    GetWindowRect(dialog, &frame);
    SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left + kGrowWidth, frame.bottom - frame.top + kGrowHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Adjust(dialog, GetDlgItem(dialog, IDOK), kGrowWidth, 0);
    Adjust(dialog, GetDlgItem(dialog, IDCANCEL), kGrowWidth, 0);
    Adjust(dialog, GetDlgItem(dialog, kIdentityItem), 0, kGrowWidth);
}

void AddRememberCheckBox(HWND dialog)
{
    const HWND box = CreateWindowExW(
        0, WC_BUTTONW, kRememberCheckBoxText, WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX, kCheckBoxPlace.left,
        kCheckBoxPlace.top, kCheckBoxPlace.right - kCheckBoxPlace.left, kCheckBoxPlace.bottom - kCheckBoxPlace.top,
        dialog, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kRememberCheckBox)),
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    const LRESULT font = SendDlgItemMessageW(dialog, kIdentityItem, WM_GETFONT, 0, 0);
    if (box != nullptr && font != 0) {
        SendMessageW(box, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
    }
}

// Fills in the remembered password once per run and submits it.
void SubmitRememberedPassword(HWND dialog)
{
    PromptState& state = State();
    if (state.autoSubmitted) {
        return;
    }
    PasswordText remembered;
    // A cache that does not open for this identity is left as it is: it may
    // belong to another ID, and the user types the password this time.
    if (!LoadCachedPassword(state.identity, remembered)) {
        return;
    }
    SetDlgItemTextW(dialog, kPasswordItem, remembered.Text());
    remembered.Wipe();
    state.autoSubmitted = true;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void OnInitDialog(HWND dialog)
{
    PromptState& state = State();
    GetDlgItemTextW(dialog, kIdentityItem, state.identity, kIdentityLimit + 1);
    MakeRoom(dialog);
    if (IsRememberCheckBoxAllowed()) {
        AddRememberCheckBox(dialog);
    }
    if (IsRememberWanted()) {
        CheckDlgButton(dialog, kRememberCheckBox, BST_CHECKED);
        SubmitRememberedPassword(dialog);
    }
}

// Read before the dialog sees the command: a dialog that empties its box on
// OK must not look like an empty password.
void OnOk(HWND dialog)
{
    PromptState& state = State();
    GetDlgItemTextW(dialog, kPasswordItem, state.typed.Buffer(), PasswordText::Capacity());
    state.cancelled = false;
    const HWND box = GetDlgItem(dialog, kRememberCheckBox);
    if (state.typed.Length() == 0) {
        ClearCachedPassword();
    } else if (box != nullptr) {
        if (IsDlgButtonChecked(dialog, kRememberCheckBox) == BST_CHECKED) {
            state.rememberRequested = true;
        } else {
            ClearCachedPassword();
        }
    }
}

void OnCommand(HWND dialog, WPARAM wParam)
{
    if (LOWORD(wParam) == IDOK) {
        OnOk(dialog);
    } else if (LOWORD(wParam) == IDCANCEL) {
        State().cancelled = true;
    }
}

// Kept per window, so a dialog opened inside another (a message box over the
// database picker) never takes the outer one's procedure.
LRESULT CALLBACK DialogExtension(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_COMMAND && IsPasswordDialog(dialog)) {
        OnCommand(dialog, wParam);
    }
    const LRESULT result = DefSubclassProc(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG && IsPasswordDialog(dialog)) {
        OnInitDialog(dialog);
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(dialog, &DialogExtension, kSubclassId);
    }
    return result;
}

bool IsDialogClass(HWND window)
{
    wchar_t name[16] = {};
    return GetClassNameW(window, name, ARRAYSIZE(name)) > 0 && lstrcmpW(name, kDialogClass) == 0;
}

LRESULT CALLBACK WatchNewWindows(int code, WPARAM wParam, LPARAM lParam)
{
    PromptState& state = State();
    if (code == HCBT_CREATEWND && state.watching) {
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (IsDialogClass(window)) {
            SetWindowSubclass(window, &DialogExtension, kSubclassId, 0);
        }
    }
    return CallNextHookEx(state.hook, code, wParam, lParam);
}

} // namespace

bool InstallPasswordDialogWatch()
{
    PromptState& state = State();
    if (state.hook == nullptr) {
        state.hook = SetWindowsHookExW(WH_CBT, &WatchNewWindows, nullptr, GetCurrentThreadId());
    }
    return state.hook != nullptr;
}

void ClearPasswordPromptState()
{
    PromptState& state = State();
    state.typed.Wipe();
    state.rememberRequested = false;
    state.cancelled = false;
}

void SetPasswordWatch(bool on)
{
    State().watching = on;
}

bool WasPasswordPromptCancelled()
{
    return State().cancelled;
}

LoginOutcome PerformNotesLogin()
{
    State().cancelled = false;
    const DataServiceCalls* data = DataService();
    return WithPasswordWatch([data] {
        if (data != nullptr) {
            data->forcePasswordPrompt();
        }
    });
}

void StorePasswordIfAsked()
{
    PromptState& state = State();
    if (!state.cancelled && state.rememberRequested) {
        StorePassword(state.identity, state.typed);
    }
    state.typed.Wipe();
    state.rememberRequested = false;
}

} // namespace brw
