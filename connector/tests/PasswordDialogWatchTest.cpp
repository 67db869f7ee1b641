// The dialog watch in this process: dialogs made on this thread while the
// watch is on, some shaped like the Notes password prompt and some not, as
// modal loops answered by posted commands.
#include "connector/PasswordDialogWatch.h"

#include "common/DebugConsole.h"
#include "connector/PasswordCache.h"
#include "connector/SettingsStore.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t kIdentity[] = L"User CN=Jane Doe/O=Acme";
const std::wstring kMain = brw::kSettingsKeyPath;

// An in-memory dialog: a static (item 100) and an edit (item 101) when
// shaped like the prompt, OK and Cancel always.
class DialogTemplate {
public:
    explicit DialogTemplate(bool likePrompt)
    {
        DLGTEMPLATE head{};
        head.style = DS_MODALFRAME | WS_POPUP | WS_CAPTION;
        head.cdit = likePrompt ? 4 : 2;
        head.cx = 220;
        head.cy = 90;
        Raw(&head, sizeof(head));
        Word(0);
        Word(0);
        Word(0); // no menu, the dialog class, no title
        if (likePrompt) {
            Item(SS_LEFT, 10, 8, 200, 20, brw::kIdentityItem, 0x0082);
            Item(ES_AUTOHSCROLL | WS_BORDER, 10, 44, 200, 14, brw::kPasswordItem, 0x0081);
        }
        Item(BS_DEFPUSHBUTTON, 104, 68, 50, 14, IDOK, 0x0080);
        Item(BS_PUSHBUTTON, 160, 68, 50, 14, IDCANCEL, 0x0080);
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void Word(WORD w) { Raw(&w, sizeof(w)); }
    void Raw(const void* data, size_t size)
    {
        const BYTE* p = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), p, p + size);
    }
    void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD atom)
    {
        while (bytes_.size() % 4 != 0) {
            bytes_.push_back(0);
        }
        DLGITEMTEMPLATE item{style | WS_CHILD | WS_VISIBLE, 0, x, y, cx, cy, id};
        Raw(&item, sizeof(item));
        Word(0xFFFF);
        Word(atom);
        Word(0); // no text
        Word(0); // no creation data
    }
    std::vector<BYTE> bytes_;
};

// What the dialog saw and what the test does to it once it is up.
struct Script {
    bool typePassword = false;
    const wchar_t* password = L"";
    bool checkRemember = false;
    bool pressOk = true;
    bool emptyBoxOnOk = false; // as a dialog that clears its box when it ends
    // Seen by the dialog.
    bool hadCheckBox = false;
    std::wstring checkBoxText;
    int widthGrown = 0;
    std::wstring passwordAtOk;
};

INT_PTR CALLBACK ScriptedDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* script = reinterpret_cast<Script*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        SetDlgItemTextW(dialog, brw::kIdentityItem, kIdentity);
        PostMessageW(dialog, WM_APP, 0, 0); // acts once the watch has done its part
        return TRUE;
    }
    if (message == WM_APP) {
        const HWND box = GetDlgItem(dialog, brw::kRememberCheckBox);
        script->hadCheckBox = box != nullptr;
        wchar_t text[64] = {};
        GetWindowTextW(box, text, 64);
        script->checkBoxText = text;
        if (script->typePassword) {
            SetDlgItemTextW(dialog, brw::kPasswordItem, script->password);
        }
        if (script->checkRemember) {
            CheckDlgButton(dialog, brw::kRememberCheckBox, BST_CHECKED);
        }
        PostMessageW(dialog, WM_COMMAND, script->pressOk ? IDOK : IDCANCEL, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        wchar_t typed[80] = {};
        GetDlgItemTextW(dialog, brw::kPasswordItem, typed, 80);
        if (LOWORD(wParam) == IDOK && script->passwordAtOk.empty()) {
            script->passwordAtOk = typed;
        }
        if (script->emptyBoxOnOk) {
            SetDlgItemTextW(dialog, brw::kPasswordItem, L"");
        }
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

// The watch runs only around a call that may prompt, as the login does.
brw::LoginOutcome ShowWatched(bool likePrompt, Script& script)
{
    const DialogTemplate dialog(likePrompt);
    return brw::WithPasswordWatch([&] {
        DialogBoxIndirectParamW(nullptr, dialog.Get(), nullptr, &ScriptedDialog, reinterpret_cast<LPARAM>(&script));
    });
}

std::wstring Cached()
{
    brw::PasswordText password;
    return brw::LoadCachedPassword(kIdentity, password) ? std::wstring(password.Text()) : L"";
}

class PasswordDialogWatch : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(brw::InstallPasswordDialogWatch());
        brw::ClearPasswordPromptState();
    }

    brwtest::ScratchKey settings_{HKEY_CURRENT_USER, kMain};
    brwtest::ScratchKey policy_{HKEY_LOCAL_MACHINE, kMain};
};

TEST_F(PasswordDialogWatch, ThePromptGetsTheCheckBoxAndATickedBoxKeepsThePassword)
{
    Script script;
    script.typePassword = true;
    script.password = L"s3cret";
    script.checkRemember = true;
    EXPECT_EQ(brw::LoginOutcome::LoggedIn, ShowWatched(true, script));
    EXPECT_TRUE(script.hadCheckBox);
    EXPECT_EQ(brw::kRememberCheckBoxText, script.checkBoxText);
    brw::StorePasswordIfAsked();
    EXPECT_EQ(L"s3cret", Cached());
    EXPECT_EQ(1u, brwtest::GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword));
}

TEST_F(PasswordDialogWatch, OkIsReadBeforeADialogThatEmptiesItsBoxSeesIt)
{
    Script script;
    script.typePassword = true;
    script.password = L"s3cret";
    script.checkRemember = true;
    script.emptyBoxOnOk = true;
    ShowWatched(true, script);
    brw::StorePasswordIfAsked();
    EXPECT_EQ(L"s3cret", Cached());
}

TEST_F(PasswordDialogWatch, AnUntickedBoxOrAnEmptyPasswordClearsTheCache)
{
    brw::PasswordText old;
    old.Assign(L"old", 3);
    for (const wchar_t* typed : {L"s3cret", L""}) {
        brw::StorePassword(kIdentity, old);
        // Not wanted any more: the prompt is neither ticked nor filled in.
        ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword, 0));
        brw::ClearPasswordPromptState();
        Script script;
        script.typePassword = true;
        script.password = typed;
        script.checkRemember = *typed == L'\0';
        ShowWatched(true, script);
        brw::StorePasswordIfAsked();
        EXPECT_EQ(L"", Cached()) << typed;
        EXPECT_EQ(0u, brwtest::GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword));
    }
}

TEST_F(PasswordDialogWatch, CancelIsReportedAndNothingIsStored)
{
    Script script;
    script.typePassword = true;
    script.password = L"s3cret";
    script.checkRemember = true;
    script.pressOk = false;
    EXPECT_EQ(brw::LoginOutcome::Cancelled, ShowWatched(true, script));
    brw::StorePasswordIfAsked();
    EXPECT_EQ(L"", Cached());
}

TEST_F(PasswordDialogWatch, OtherDialogsAndDialogsOutsideTheWatchAreLeftAlone)
{
    Script other;
    EXPECT_EQ(brw::LoginOutcome::LoggedIn, ShowWatched(false, other));
    EXPECT_FALSE(other.hadCheckBox);

    Script unwatched;
    const DialogTemplate dialog(true);
    DialogBoxIndirectParamW(nullptr, dialog.Get(), nullptr, &ScriptedDialog, reinterpret_cast<LPARAM>(&unwatched));
    EXPECT_FALSE(unwatched.hadCheckBox) << "only dialogs made while watching are extended";
}

TEST_F(PasswordDialogWatch, TheRememberedPasswordIsSubmittedOncePerRun)
{
    brw::PasswordText remembered;
    remembered.Assign(L"r3membered", 10);
    brw::StorePassword(kIdentity, remembered);
    Script first;
    first.pressOk = false; // the watch's own OK comes first
    EXPECT_EQ(brw::LoginOutcome::LoggedIn, ShowWatched(true, first));
    EXPECT_EQ(L"r3membered", first.passwordAtOk);

    Script second;
    second.pressOk = false;
    EXPECT_EQ(brw::LoginOutcome::Cancelled, ShowWatched(true, second)) << "the user answers a second prompt";
    EXPECT_EQ(L"", second.passwordAtOk);
}

TEST_F(PasswordDialogWatch, ACacheThatDoesNotOpenIsSkippedAndKept)
{
    brw::PasswordText remembered;
    remembered.Assign(L"r3membered", 10);
    brw::StorePassword(L"User CN=Someone Else/O=Acme", remembered);
    Script script;
    script.pressOk = false;
    EXPECT_EQ(brw::LoginOutcome::Cancelled, ShowWatched(true, script));
    EXPECT_EQ(L"", script.passwordAtOk);
    brw::RegKey main = brw::settings::OpenForReading(HKEY_CURRENT_USER, kMain.c_str());
    EXPECT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(main.get(), brw::settings::kCachedPassword, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(1u, brwtest::GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword));
}

TEST_F(PasswordDialogWatch, ThePolicyTakesTheCheckBoxAway)
{
    ASSERT_TRUE(brwtest::SetDword(HKEY_LOCAL_MACHINE, kMain, brw::settings::kHidePasswordCheckBox, 1));
    Script script;
    script.typePassword = true;
    script.password = L"s3cret";
    ShowWatched(true, script);
    EXPECT_FALSE(script.hadCheckBox);
    brw::StorePasswordIfAsked();
    EXPECT_EQ(L"", Cached());
}

} // namespace
