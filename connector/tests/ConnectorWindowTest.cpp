// The connector's window in the running program: the list, its commands and
// dialogs, the tray click and the system menu, as a user drives them.
#include "common/WideString.h"
#include "connector/AboutDialog.h"
#include "connector/ConnectorResources.h"
#include "connector/DatabaseCommands.h"
#include "connector/TrayAction.h"
#include "connector/tests/ConnectorWindowFixture.h"
#include "connector/tests/CrawlPassWatch.h"

#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kAboutTitle[] = L"About Brimlow Search";
constexpr wchar_t kNoteIdTitle[] = L"Index the Specified Document";
constexpr wchar_t kProductLine[] = L"Brimlow Search: Mail, Archives, and Applications, Version 2.3";

size_t Occurrences(const std::wstring& text, const std::wstring& part)
{
    size_t count = 0;
    for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

// ---- the list ----------------------------------------------------------------

TEST_F(ConnectorWindow, TheListShowsEachValueAndRefreshReadsTheKeyAgain)
{
    const std::wstring first = Database(L"a.nsf");
    const std::wstring second = Database(L"c.nsf");
    ListDatabase(first, L"08/12/2026 10:00:00");
    // Not a string: shown as an empty row, and the values after it still
    // listed.
    {
        brw::RegKey list = brw::settings::OpenDatabasesKey();
        const BYTE binary[] = {1, 2, 3};
        ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(list.get(), (program_ + L"\\data\\mail\\b.nsf").c_str(), 0, REG_BINARY,
                                                binary, sizeof(binary)));
    }
    ListDatabase(second);
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    auto list = List(window);
    EXPECT_EQ((std::vector<std::wstring>{first, L"", second}), list->Column(kPathColumn));
    EXPECT_EQ(L"Yes", list->Text(0, 0));
    EXPECT_EQ(L"", list->Text(1, 0));
    EXPECT_FALSE(list->Text(2, 1).empty()) << "the title of an opened database";

    const std::wstring third = Database(L"d.nsf");
    ListDatabase(third);
    EXPECT_EQ(3, list->Count()) << "the list is read on Refresh, not on every change";
    Command(window, IDM_REFRESH);
    Settle(window);
    EXPECT_EQ((std::vector<std::wstring>{first, L"", second, third}), list->Column(kPathColumn));
    Exit(window);
}

TEST_F(ConnectorWindow, DeleteRemovesTheSelectedRowsEvenAfterAnotherRowWasPainted)
{
    const std::wstring a = Database(L"a.nsf");
    const std::wstring b = Database(L"b.nsf");
    const std::wstring c = Database(L"c.nsf");
    for (const std::wstring& path : {a, b, c}) {
        ListDatabase(path);
    }
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    auto list = List(window);
    ASSERT_EQ(c, list->Text(2, kPathColumn)) << "the third row painted last";
    ASSERT_TRUE(list->Select({0, 1}));
    Command(window, IDM_DELETE);
    AnswerMessage(brw::kRebuildAdvice);
    EXPECT_FALSE(IsListed(a));
    EXPECT_FALSE(IsListed(b));
    EXPECT_TRUE(IsListed(c)) << "the painted row stays";
    Settle(window);
    EXPECT_EQ((std::vector<std::wstring>{c}), list->Column(kPathColumn));
    Exit(window);
}

TEST_F(ConnectorWindow, DeleteWithNothingSelectedStillMarksTheChoiceAndAdvises)
{
    ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kManualSelection, 0));
    const std::wstring a = Database(L"a.nsf");
    ListDatabase(a);
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    Command(window, IDM_DELETE);
    AnswerMessage(brw::kRebuildAdvice);
    EXPECT_TRUE(IsListed(a));
    EXPECT_EQ(1u, brwtest::GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kManualSelection));
    Exit(window);
}

TEST_F(ConnectorWindow, AddApplicationListsTheDatabaseChosenInThePicker)
{
    const std::wstring chosen = Database(L"archive.nsf");
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    Command(window, IDM_ADD_APPLICATION);
    const HWND picker = Dialog(kPickerTitle);
    ASSERT_NE(nullptr, picker);
    ASSERT_TRUE(brwtest::TypeIntoItem(picker, edt1, chosen));
    brwtest::PressButton(picker, IDOK);
    ASSERT_TRUE(brwtest::WaitForWindowGone(connector_->ProcessHandle(), picker, kWindowWaitMs));
    Settle(window);
    EXPECT_TRUE(IsListed(chosen));
    EXPECT_EQ((std::vector<std::wstring>{chosen}), List(window)->Column(kPathColumn));
    Exit(window);
}

TEST_F(ConnectorWindow, UpdateIndexNowRunsAPassAtOnce)
{
    // The crawl's period is five minutes: a pass within this time is the
    // one the command asked for.
    constexpr DWORD kPassWaitMs = 60000;
    const std::wstring a = Database(L"a.nsf");
    ListDatabase(a);
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(brwtest::WaitForRecordedTime(a, connector_->ProcessHandle(), kPassWaitMs)) << "the pass at start";
    // An empty time makes the next pass take every document and record a
    // time again.
    ListDatabase(a, L"");
    Command(window, IDM_UPDATE_INDEX_NOW);
    EXPECT_TRUE(brwtest::WaitForRecordedTime(a, connector_->ProcessHandle(), kPassWaitMs)) << ListedData(a);
    Exit(window);
}

// ---- Index Document, Clear Password, About -----------------------------------

TEST_F(ConnectorWindow, IndexDocumentNeedsARowAndAnIdAndSaysWhatItDidOnTheConsole)
{
    ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMain, brw::kDebugConsoleValueName, 1));
    const std::wstring a = Database(L"a.nsf");
    ListDatabase(a);
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    auto list = List(window);

    struct Case {
        std::vector<int> selected;
        const wchar_t* noteId;
        const wchar_t* message; // null: none, the console says
    };
    for (const Case& c : {Case{{}, L"A14", brw::kSelectDatabaseFirstMessage}, Case{{0}, L"", brw::kEnterNoteIdMessage},
                          Case{{0}, L"FFF4", nullptr}}) {
        SCOPED_TRACE(c.noteId);
        ASSERT_TRUE(list->Select(c.selected));
        Command(window, IDM_INDEX_DOCUMENT);
        const HWND dialog = Dialog(kNoteIdTitle);
        ASSERT_NE(nullptr, dialog);
        ASSERT_TRUE(brwtest::TypeIntoItem(dialog, IDC_NOTE_ID, c.noteId));
        brwtest::PressButton(dialog, IDOK);
        if (c.message != nullptr) {
            AnswerMessage(c.message);
        }
        ASSERT_TRUE(brwtest::WaitForWindowGone(connector_->ProcessHandle(), dialog, kWindowWaitMs));
        Settle(window);
    }
    // The console wraps long lines: the path and the id are looked for
    // apart.
    const std::wstring console = LookAtConsole(*connector_).text;
    EXPECT_EQ(1u, Occurrences(console, L" to add:") + Occurrences(console, L"Added:")) << console;
    EXPECT_NE(std::wstring::npos, console.find(L"FFF4")) << console;

    // Cancel closes it and nothing else happens.
    Command(window, IDM_INDEX_DOCUMENT);
    const HWND dialog = Dialog(kNoteIdTitle);
    ASSERT_NE(nullptr, dialog);
    brwtest::PressButton(dialog, IDCANCEL);
    EXPECT_TRUE(brwtest::WaitForWindowGone(connector_->ProcessHandle(), dialog, kWindowWaitMs));
    Exit(window);
}

TEST_F(ConnectorWindow, ClearPasswordForgetsTheRememberedOneAndSaysSo)
{
    connector_ = Start();
    AnswerPrompt(*connector_, kPassword, Remember::Yes);
    ASSERT_TRUE(AskOnceServing(*connector_, kListRequest).has_value());
    const HWND window = MainWindow(*connector_);
    ASSERT_NE(nullptr, window);
    brw::RegKey main = brw::settings::OpenForReading(HKEY_CURRENT_USER, kMain.c_str());
    ASSERT_EQ(ERROR_SUCCESS,
              RegQueryValueExW(main.get(), brw::settings::kCachedPassword, nullptr, nullptr, nullptr, nullptr));
    Command(window, IDM_CLEAR_PASSWORD);
    AnswerMessage(brw::kPasswordClearedMessage);
    EXPECT_NE(ERROR_SUCCESS,
              RegQueryValueExW(main.get(), brw::settings::kCachedPassword, nullptr, nullptr, nullptr, nullptr));
    Exit(window);
}

TEST_F(ConnectorWindow, AboutShowsTheProductAndItsBuild)
{
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    Command(window, IDM_ABOUT);
    const HWND about = Dialog(kAboutTitle);
    ASSERT_NE(nullptr, about);
    const std::vector<std::wstring> texts = brwtest::StaticTexts(about);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), kProductLine));
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), brw::kBuildStamp));
    brwtest::PressButton(about, IDOK);
    EXPECT_TRUE(brwtest::WaitForWindowGone(connector_->ProcessHandle(), about, kWindowWaitMs));
    Exit(window);
}

// ---- New Search Connector ----------------------------------------------------

// The user's known folder, made when missing, as the dialog asks for it.
std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_CREATE, nullptr, &path))) {
        folder = path;
    }
    CoTaskMemFree(path);
    return folder;
}

// Files the test makes outside its scratch folder, removed in any case.
struct MadeFiles {
    std::vector<std::wstring> paths;
    ~MadeFiles()
    {
        for (const std::wstring& path : paths) {
            DeleteFileW(path.c_str());
        }
    }
};

std::string FileText(const std::wstring& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// Chooses the drop-down entry with this item data as the user's click does:
// the selection, then the change notice to the dialog.
bool ChooseKind(HWND dialog, LPARAM itemData)
{
    const HWND kinds = GetDlgItem(dialog, IDC_CONNECTOR_KINDS);
    const LRESULT count = SendMessageW(kinds, CB_GETCOUNT, 0, 0);
    for (LRESULT index = 0; index < count; ++index) {
        if (SendMessageW(kinds, CB_GETITEMDATA, static_cast<WPARAM>(index), 0) == itemData) {
            SendMessageW(kinds, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CONNECTOR_KINDS, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(kinds));
            return true;
        }
    }
    return false;
}

std::wstring ItemText(HWND dialog, int item)
{
    wchar_t text[256] = {};
    GetDlgItemTextW(dialog, item, text, 256);
    return text;
}

TEST_F(ConnectorWindow, NewSearchConnectorRefusesWhatItCannotWriteAndWritesTheChosenKind)
{
    MadeFiles made;
    const std::wstring searches = KnownFolder(FOLDERID_SavedSearches);
    const std::wstring links = KnownFolder(FOLDERID_Links);
    ASSERT_FALSE(searches.empty());
    ASSERT_FALSE(links.empty());
    made.paths = {searches + L"\\Team blogs.searchConnector-ms", links + L"\\Team blogs.lnk"};
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    Command(window, IDM_NEW_SEARCH_CONNECTOR);
    const HWND dialog = Dialog(L"New Search Connector");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_CONNECTOR_SELECTED));
    EXPECT_EQ(BST_CHECKED, IsDlgButtonChecked(dialog, IDC_CONNECTOR_FAVORITE));

    ASSERT_TRUE(brwtest::TypeIntoItem(dialog, IDC_CONNECTOR_NAME, L"Team blogs"));
    ASSERT_TRUE(brwtest::TypeIntoItem(dialog, IDC_CONNECTOR_SERVER, L"https://connections.example.com//"));
    brwtest::PressButton(dialog, IDOK);
    AnswerMessage(L"Choose a connector type, or choose Query: and type a query.");
    ASSERT_TRUE(IsWindow(dialog)) << "no type chosen: the dialog stays";

    constexpr LPARAM kBlogs = 3;
    ASSERT_TRUE(ChooseKind(dialog, kBlogs));
    EXPECT_EQ(L"IBM Connections Blogs", ItemText(dialog, IDC_CONNECTOR_NAME)) << "the kind's name offered";
    for (const wchar_t* hostile : {L"..\\outside", L"a:b", L".."}) {
        SCOPED_TRACE(testing::Message() << brw::WideToUtf8(hostile));
        ASSERT_TRUE(brwtest::TypeIntoItem(dialog, IDC_CONNECTOR_NAME, hostile));
        brwtest::PressButton(dialog, IDOK);
        AnswerMessage(L"Provide a name for this connector");
        ASSERT_TRUE(IsWindow(dialog));
    }

    ASSERT_TRUE(brwtest::TypeIntoItem(dialog, IDC_CONNECTOR_NAME, L"  Team blogs  "));
    brwtest::PressButton(dialog, IDOK);
    ASSERT_TRUE(brwtest::WaitForWindowGone(connector_->ProcessHandle(), dialog, kWindowWaitMs));
    Settle(window);
    const std::string file = FileText(made.paths[0]);
    // The elements' own namespace declarations vary with the XML writer;
    // the texts are looked for by what ends them.
    EXPECT_NE(std::string::npos, file.find(">https://connections.example.com//</domain>")) << "as typed\n" << file;
    EXPECT_NE(std::string::npos, file.find(">Team blogs</description>")) << "trimmed\n" << file;
    EXPECT_NE(std::string::npos,
              file.find("https://connections.example.com/search/atom/mysearch/results?query={searchTerms}"))
        << file;
    EXPECT_NE(std::string::npos, file.find("scope=blogs")) << file;
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(made.paths[1].c_str())) << "the favourite's shortcut";
    Exit(window);
}

// ---- the window and the tray -------------------------------------------------

TEST_F(ConnectorWindow, TheTrayClickShowsTheListAndTheSystemMenuCloseOnlyHidesIt)
{
    const std::wstring a = Database(L"a.nsf");
    const HWND window = StartServing();
    ASSERT_NE(nullptr, window);
    ASSERT_FALSE(IsWindowVisible(window));
    ListDatabase(a);
    ClickTray(window);
    Settle(window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ((std::vector<std::wstring>{a}), List(window)->Column(kPathColumn)) << "the click reads the list again";

    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(connector_->ProcessHandle(), 0)) << "the program runs on";
    EXPECT_TRUE(AskOnceServing(*connector_, kListRequest).has_value());
    Exit(window);
}

class DisabledConnector : public ConnectorWindow {
protected:
    void SetUp() override
    {
        ConnectorWindow::SetUp();
        ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kDisabled, 1));
        // The disk scan has run for this user already.
        ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kScanned, 1));
    }

    // Nothing to index: no mail file in the data directory, though the
    // database stays there, so the login still has one to open.
    void RemoveMailFile() const { ASSERT_TRUE(MoveFileW(MailFile().c_str(), SetAside().c_str())); }
    void RestoreMailFile() const { ASSERT_TRUE(MoveFileW(SetAside().c_str(), MailFile().c_str())); }
    std::wstring MailFile() const { return program_ + L"\\data\\mail\\jdoe.nsf"; }
    std::wstring SetAside() const { return program_ + L"\\data\\jdoe.nsf"; }

    bool IsDisabled() const
    {
        return brwtest::GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kDisabled).has_value();
    }

    // Started, not logged in, not serving: the main window.
    HWND StartDisabled()
    {
        connector_ = Start();
        const HWND window = WaitForWindow(*connector_, {kMainClass, kMainTitle});
        EXPECT_NE(nullptr, window);
        Settle(window);
        EXPECT_FALSE(brwtest::AskConnectorPipe(kListRequest).has_value()) << "a disabled installation serves nothing";
        return window;
    }
};

TEST_F(DisabledConnector, NoLeavesItDisabledAndShowsTheList)
{
    RemoveMailFile();
    const HWND window = StartDisabled();
    ASSERT_NE(nullptr, window);
    ClickTray(window);
    AnswerMessage(brw::kEnableQuestion, IDNO);
    Settle(window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(IsDisabled());
    EXPECT_FALSE(brwtest::AskConnectorPipe(kListRequest).has_value());
    Exit(window);
}

TEST_F(DisabledConnector, YesLogsInServesAndOnlyThenEnables)
{
    RemoveMailFile();
    const HWND window = StartDisabled();
    ASSERT_NE(nullptr, window);
    ClickTray(window);
    AnswerMessage(brw::kEnableQuestion, IDYES);
    EXPECT_TRUE(IsDisabled()) << "still disabled while the login runs";
    AnswerPrompt(*connector_, kPassword, Remember::No);
    EXPECT_TRUE(AskOnceServing(*connector_, kListRequest).has_value());
    Settle(window);
    EXPECT_FALSE(IsDisabled());
    EXPECT_FALSE(IsWindowVisible(window)) << "nothing more is shown";
    Exit(window);
}

TEST_F(DisabledConnector, YesWithACancelledLoginLeavesItDisabled)
{
    RemoveMailFile();
    const HWND window = StartDisabled();
    ASSERT_NE(nullptr, window);
    ClickTray(window);
    AnswerMessage(brw::kEnableQuestion, IDYES);
    const HWND prompt = WaitForPrompt(*connector_);
    ASSERT_NE(nullptr, prompt);
    brwtest::PressButton(prompt, IDCANCEL);
    ASSERT_TRUE(brwtest::WaitForWindowGone(connector_->ProcessHandle(), prompt, kWindowWaitMs));
    Settle(window);
    EXPECT_TRUE(IsDisabled());
    EXPECT_FALSE(brwtest::AskConnectorPipe(kListRequest).has_value());
    Exit(window);
}

TEST_F(DisabledConnector, AMailFileFoundOnTheClickEnablesWithoutAsking)
{
    RemoveMailFile();
    const HWND window = StartDisabled();
    ASSERT_NE(nullptr, window);
    RestoreMailFile();
    ClickTray(window);
    AnswerPrompt(*connector_, kPassword, Remember::No);
    EXPECT_TRUE(AskOnceServing(*connector_, kListRequest).has_value());
    Settle(window);
    EXPECT_FALSE(IsDisabled());
    EXPECT_TRUE(IsWindowVisible(window));
    Exit(window);
}

} // namespace
