#pragma once
// The connector program run as a user runs it: installed beside the
// stand-in Notes client, found through the Notes key, its dialogs answered
// from the test's process by window class and title, its pipe asked as the
// protocol handler asks it. Shared by the program's test files; each
// derives its own suite from it.
#include "common/ComApartment.h"
#include "common/ComHolders.h"
#include "common/DebugConsole.h"
#include "common/Handles.h"
#include "common/PipeProtocol.h"
#include "common/SearchCatalogue.h"
#include "connector/CrawlRoot.h"
#include "connector/SettingsStore.h"
#include "connector/UserIdentity.h"
#include "connector/tests/ConnectorInstall.h"
#include "platform/winsearch/core/StateFolder.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/CallerTrace.h"
#include "tests/support/ConsoleText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/ServerRegistration.h"
#include "tests/support/TestRegistry.h"
#include "tests/support/WindowWatch.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <searchapi.h>
#include <shellapi.h>

#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

// Each test file gets its own copy: the fixture is only ever a base of the
// suites of one file.
namespace {

constexpr DWORD kWindowWaitMs = 30000;
constexpr DWORD kExitWaitMs = 45000; // the connector gives its threads 30 s
constexpr wchar_t kPassword[] = L"s3cret";
constexpr const wchar_t* kNotesKey = brwtest::kConnectorNotesKey;
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kPromptTitle[] = L"Enter Password";
constexpr wchar_t kProductTitle[] = L"Brimlow Search";
constexpr wchar_t kMainClass[] = L"BRWCONNECTOR";
constexpr wchar_t kMainTitle[] = L"Brimlow Search: Mail, Archives, and Applications";
constexpr int kPasswordItem = 101;
constexpr int kRememberCheckBox = 112;
constexpr UINT kExitCommand = 105;
constexpr UINT kTrayIconId = 101;
const std::wstring kMain = brw::kSettingsKeyPath;
constexpr wchar_t kListRequest[] =
    L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_database_list sid=\"x\" tempdir=\"C:\\\\\" />";

class ConnectorProgram : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(com_.Entered());
        ASSERT_HRESULT_SUCCEEDED(standIn_.Result());
        ASSERT_EQ("", brwtest::InstallConnector(program_, kPassword));
        ASSERT_TRUE(brwtest::RegisterNotesFolder(program_));
    }

    std::unique_ptr<brwtest::RunningProcess> Start(const std::wstring& folder = L"")
    {
        auto connector = brwtest::StartConnector(folder.empty() ? program_ : folder);
        EXPECT_TRUE(connector->Started()) << connector->StartError();
        return connector;
    }

    static HWND WaitForWindow(brwtest::RunningProcess& connector, const brwtest::WindowMatch& match)
    {
        return brwtest::WaitForProcessWindow(connector.ProcessHandle(), connector.ProcessId(), match, kWindowWaitMs);
    }

    static HWND WaitForPrompt(brwtest::RunningProcess& connector)
    {
        return WaitForWindow(connector, {kDialogClass, kPromptTitle, brwtest::Shown::Visible});
    }

    enum class Remember { No, Yes };

    // Types the password as the user does and presses OK.
    // Returns the prompt it answered.
    static HWND AnswerPrompt(brwtest::RunningProcess& connector, const wchar_t* password, Remember remember,
                             const char* file = __builtin_FILE(), int line = __builtin_LINE())
    {
        const brwtest::CallerTrace trace(file, line);
        HWND prompt = WaitForPrompt(connector);
        AnswerThisPrompt(prompt, password, remember);
        return prompt;
    }

    static void AnswerThisPrompt(HWND prompt, const wchar_t* password, Remember remember)
    {
        ASSERT_NE(nullptr, prompt) << "no password prompt";
        ASSERT_TRUE(brwtest::TypeIntoItem(prompt, kPasswordItem, password));
        if (remember == Remember::Yes) {
            const HWND box = GetDlgItem(prompt, kRememberCheckBox);
            ASSERT_NE(nullptr, box);
            SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
        }
        brwtest::PressButton(prompt, IDOK);
    }

    static std::optional<std::vector<BYTE>> AskOnceServing(brwtest::RunningProcess& connector,
                                                           const std::wstring& request)
    {
        return brwtest::AskOnceServing(connector, request, kWindowWaitMs);
    }

    static HWND MainWindow(brwtest::RunningProcess& connector)
    {
        return brwtest::FindProcessWindow(connector.ProcessId(), {kMainClass, kMainTitle});
    }

    static bool TrayIconShown(HWND owner)
    {
        NOTIFYICONDATAW data{};
        data.cbSize = sizeof(data);
        data.hWnd = owner;
        data.uID = kTrayIconId;
        data.uFlags = NIF_TIP;
        lstrcpynW(data.szTip, kProductTitle, ARRAYSIZE(data.szTip));
        return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
    }

    static DWORD ExitCode(brwtest::RunningProcess& connector) { return connector.Wait(kExitWaitMs).exitCode; }

    bool IsCrawlRootIncluded()
    {
        brw::ComPtr<ISearchCrawlScopeManager> scope;
        BOOL included = FALSE;
        return SUCCEEDED(brw::OpenSystemCrawlScope(scope)) &&
               SUCCEEDED(scope->IncludedInCrawlScope(brw::CrawlRootUrl(brw::UserIdentity()).c_str(), &included)) &&
               included;
    }

    std::string SavedScope() const
    {
        std::ifstream file((state_ + L"\\scope.txt").c_str(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }

    // Logs in, checks that the pipe answers, and ends the program by its
    // Exit command; what a normal run of the connector goes through.
    void RunAndExit(Remember remember)
    {
        std::unique_ptr<brwtest::RunningProcess> connector = Start();
        AnswerPrompt(*connector, kPassword, remember);
        ASSERT_TRUE(AskOnceServing(*connector, kListRequest).has_value());
        PostMessageW(MainWindow(*connector), WM_COMMAND, kExitCommand, 0);
        EXPECT_EQ(0u, ExitCode(*connector));
    }

    brw::ComApartment com_;
    brwtest::ScratchFolder root_{L"brwconnector"};
    std::wstring program_ = root_.Sub(L"notes");
    std::wstring state_ = root_.Sub(L"search");
    brwtest::ScratchKey notesKey_{HKEY_LOCAL_MACHINE, kNotesKey, brwtest::RegistryView::View32};
    brwtest::ScratchKey settings_{HKEY_CURRENT_USER, kMain};
    brwtest::ScratchKey policy_{HKEY_LOCAL_MACHINE, kMain};
    struct StateVariable {
        explicit StateVariable(const std::wstring& folder)
        {
            SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, folder.c_str());
        }
        ~StateVariable() { SetEnvironmentVariableW(brw::winsearch::kStateFolderVariable, nullptr); }
    } stateVariable_{state_};
    brwtest::ServerRegistration standIn_{brwtest::BinaryIn32BitTree(L"platform\\winsearch\\BRWSearchStandIn.dll")};
};

// This process on the connector's console for the life of the holder.
class OnConsoleOf {
public:
    explicit OnConsoleOf(DWORD processId)
    {
        FreeConsole();
        attached_ = AttachConsole(processId) != FALSE;
    }
    ~OnConsoleOf() { FreeConsole(); }
    OnConsoleOf(const OnConsoleOf&) = delete;
    OnConsoleOf& operator=(const OnConsoleOf&) = delete;
    bool Attached() const { return attached_; }

private:
    bool attached_ = false;
};

struct ConsoleSeen {
    bool attached = false;
    bool visible = false;
    std::wstring text;
};

inline ConsoleSeen LookAtConsole(brwtest::RunningProcess& connector)
{
    const OnConsoleOf console(connector.ProcessId());
    ConsoleSeen seen;
    seen.attached = console.Attached();
    const HWND window = GetConsoleWindow();
    seen.visible = window != nullptr && IsWindowVisible(window);
    seen.text = brwtest::ConsoleText();
    return seen;
}

} // namespace
