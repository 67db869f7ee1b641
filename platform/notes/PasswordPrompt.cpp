#include "platform/notes/PasswordPrompt.h"

#include "platform/notes/Lmbcs.h"
#include "platform/notes/NsfFile.h"
#include "platform/notes/Runtime.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace password {
namespace {

constexpr wchar_t kTitle[] = L"Enter Password";
constexpr wchar_t kFont[] = L"MS Shell Dlg";
constexpr size_t kMaxPassword = 64;

struct IdFile {
    std::string name;
    std::string hash;
};

bool ReadIdFile(IdFile* id)
{
    std::string keyFile = runtime::Setting("KeyFilename");
    if (keyFile.empty()) {
        return false;
    }
    std::wstring path = lmbcs::ToWide(keyFile);
    if (!(path.size() > 1 && (path[1] == L':' || path[0] == L'\\'))) {
        path = runtime::DataDirectory() + L"\\" + path;
    }
    std::vector<BYTE> bytes;
    if (!nsf::ReadWholeFile(path, bytes) || bytes.size() > 4096) {
        return false;
    }
    for (const std::string& line : runtime::TextLines(bytes)) {
        if (line.rfind("Name=", 0) == 0) {
            id->name = line.substr(5);
        } else if (line.rfind("PasswordHash=", 0) == 0) {
            id->hash = line.substr(13);
        }
    }
    return true;
}

struct DialogState {
    std::wstring identity;
    std::string expectedHash;
    std::string userName;
    bool wrongBefore = false;
};

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        state = reinterpret_cast<DialogState*>(lParam);
        SetDlgItemTextW(dialog, kIdentityItem, state->identity.c_str());
        SendDlgItemMessageW(dialog, kPasswordItem, EM_LIMITTEXT, kMaxPassword, 0);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            wchar_t typed[kMaxPassword + 1] = {};
            GetDlgItemTextW(dialog, kPasswordItem, typed, static_cast<int>(kMaxPassword + 1));
            const bool right = PasswordHash(state->userName, lmbcs::FromWide(typed)) == state->expectedHash;
            ::SecureZeroMemory(typed, sizeof(typed));
            EndDialog(dialog, right ? IDOK : IDRETRY);
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

// An in-memory DLGTEMPLATE: the client's prompt needs no resource file.
class TemplateBuilder {
public:
    void Align()
    {
        while (bytes_.size() % 4 != 0) {
            bytes_.push_back(0);
        }
    }
    void Word(WORD w) { Raw(&w, sizeof(w)); }
    void Text(const wchar_t* text) { Raw(text, (wcslen(text) + 1) * sizeof(wchar_t)); }
    void Raw(const void* data, size_t size)
    {
        const BYTE* p = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom, const wchar_t* text)
    {
        Align();
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Raw(&item, sizeof(item));
        Word(0xFFFF);
        Word(atom);
        Text(text);
        Word(0);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    std::vector<BYTE> bytes_;
};

constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;

TemplateBuilder BuildTemplate()
{
    TemplateBuilder t;
    DLGTEMPLATE head{};
    head.style = DS_MODALFRAME | DS_SETFONT | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU;
    head.cdit = 5;
    head.cx = 220;
    head.cy = 90;
    t.Raw(&head, sizeof(head));
    t.Word(0); // no menu
    t.Word(0); // the default dialog class, "#32770"
    t.Text(kTitle);
    t.Word(8);
    t.Text(kFont);
    t.Item(SS_LEFT, 10, 8, 200, 20, kIdentityItem, kStaticAtom, L"");
    t.Item(SS_LEFT, 10, 32, 200, 10, 0xFFFF, kStaticAtom, L"Enter your password:");
    t.Item(ES_PASSWORD | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 10, 44, 200, 14, kPasswordItem, kEditAtom, L"");
    t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 104, 68, 50, 14, IDOK, kButtonAtom, L"OK");
    t.Item(BS_PUSHBUTTON | WS_TABSTOP, 160, 68, 50, 14, IDCANCEL, kButtonAtom, L"Cancel");
    return t;
}

} // namespace

STATUS PromptIfNeeded()
{
    IdFile id;
    if (!ReadIdFile(&id) || id.hash.empty()) {
        return NOERROR_STATUS;
    }
    DialogState state;
    state.userName = id.name;
    state.expectedHash = id.hash;
    state.identity = L"User " + lmbcs::ToWide(id.name);
    const TemplateBuilder dialogTemplate = BuildTemplate();
    for (;;) {
        const INT_PTR result = DialogBoxIndirectParamW(nullptr, dialogTemplate.Get(), nullptr, DialogProc,
                                                       reinterpret_cast<LPARAM>(&state));
        if (result == IDOK) {
            return NOERROR_STATUS;
        }
        if (result != IDRETRY) {
            return ERR_PASSWORD_CANCELLED;
        }
    }
}

} // namespace password
