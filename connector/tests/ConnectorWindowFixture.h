#pragma once
// The connector's window in the running program, driven as a user drives
// it: menu commands sent to the window, the tray icon's click, dialogs and
// message boxes answered from the test's process, the list read from the
// screen's control. Shared by the window's test files; each derives its
// own suite from it.
#include "connector/ConnectorResources.h"
#include "connector/tests/ConnectorProgramFixture.h"
#include "tests/support/RemoteListView.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

// Each test file gets its own copy, as with the program's fixture.
namespace {

constexpr int kListId = 100;
constexpr int kPathColumn = 2;
constexpr wchar_t kPickerTitle[] = L"Select a mail file or mail archive file";
const std::wstring kDatabases = brw::settings::kDatabasesKeyPath;

class ConnectorWindow : public ConnectorProgram {
protected:
    void SetUp() override
    {
        ConnectorProgram::SetUp();
        // A list chosen by hand: the crawl then adds nothing to it.
        ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMain, brw::settings::kManualSelection, 1));
    }

    // A copy of the installed mail file under another name.
    std::wstring Database(const wchar_t* name) const
    {
        const std::wstring copy = program_ + L"\\data\\mail\\" + name;
        CopyFileW((program_ + L"\\data\\mail\\jdoe.nsf").c_str(), copy.c_str(), FALSE);
        return copy;
    }

    static void ListDatabase(const std::wstring& path, const std::wstring& data = L"")
    {
        ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, kDatabases, path, data));
    }

    static bool IsListed(const std::wstring& path)
    {
        brw::RegKey list = brw::settings::OpenForReading(HKEY_CURRENT_USER, kDatabases.c_str());
        return RegQueryValueExW(list.get(), path.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }

    // Started, logged in and serving; the main window.
    HWND StartServing(const char* file = __builtin_FILE(), int line = __builtin_LINE())
    {
        const brwtest::CallerTrace trace(file, line);
        connector_ = Start();
        AnswerPrompt(*connector_, kPassword, Remember::No);
        EXPECT_TRUE(AskOnceServing(*connector_, kListRequest).has_value());
        return MainWindow(*connector_);
    }

    // Commands and clicks are sent without waiting for them, and the window
    // takes sent messages in order: what was sent before is done when this
    // returns (unless it shows a dialog, whose loop answers it at once).
    static void Settle(HWND window) { SendMessageW(window, WM_NULL, 0, 0); }

    static void Command(HWND window, UINT id) { SendNotifyMessageW(window, WM_COMMAND, id, 0); }

    static void ClickTray(HWND window) { SendNotifyMessageW(window, WM_APP + 100, kTrayIconId, WM_LBUTTONDOWN); }

    std::unique_ptr<brwtest::RemoteListView> List(HWND window)
    {
        auto list = std::make_unique<brwtest::RemoteListView>(connector_->ProcessHandle(),
                                                              brwtest::ListViewChild(window, kListId));
        EXPECT_TRUE(list->Ready());
        return list;
    }

    // Waits for a dialog of the program with this title, shown.
    HWND Dialog(const wchar_t* title)
    {
        return WaitForWindow(*connector_, {kDialogClass, title, brwtest::Shown::Visible});
    }

    // Waits for the product's message box, checks its text and presses
    // button.
    void AnswerMessage(const std::wstring& text, int button = IDOK, const char* file = __builtin_FILE(),
                       int line = __builtin_LINE())
    {
        const brwtest::CallerTrace trace(file, line);
        const HWND box = Dialog(kProductTitle);
        ASSERT_NE(nullptr, box) << "no message box";
        const std::vector<std::wstring> texts = brwtest::StaticTexts(box);
        EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), text)) << "the message was not " << text.size();
        brwtest::PressButton(box, button);
        EXPECT_TRUE(brwtest::WaitForWindowGone(connector_->ProcessHandle(), box, kWindowWaitMs));
    }

    void Exit(HWND window)
    {
        Command(window, kExitCommand);
        EXPECT_EQ(0u, ExitCode(*connector_));
    }

    std::unique_ptr<brwtest::RunningProcess> connector_;
};

// The list's data for a database: the crawl's recorded time.
inline std::wstring ListedData(const std::wstring& path)
{
    brw::RegKey list = brw::settings::OpenForReading(HKEY_CURRENT_USER, kDatabases.c_str());
    wchar_t data[128] = {};
    DWORD bytes = sizeof(data) - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(list.get(), path.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return L"<none>";
    }
    return data;
}

} // namespace
