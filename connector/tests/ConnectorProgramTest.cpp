// BRWConnector.exe itself, run as a user runs it: installed beside the
// stand-in Notes client, found through the Notes key, its dialogs answered
// from this process by window class and title, its pipe asked as the
// protocol handler asks it.
#include "connector/tests/ConnectorProgramFixture.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <algorithm>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

// ---- start-up that ends early ------------------------------------------------

TEST_F(ConnectorProgram, ASecondCopyEndsAtOnceAndCancellingTheLoginEndsTheFirst)
{
    std::unique_ptr<brwtest::RunningProcess> first = Start();
    const HWND prompt = WaitForPrompt(*first);
    ASSERT_NE(nullptr, prompt);
    std::unique_ptr<brwtest::RunningProcess> second = Start();
    EXPECT_EQ(0u, ExitCode(*second));
    EXPECT_EQ(WAIT_TIMEOUT, WaitForSingleObject(first->ProcessHandle(), 0)) << "the first copy runs on";
    brwtest::PressButton(prompt, IDCANCEL);
    EXPECT_EQ(0u, ExitCode(*first));
    EXPECT_FALSE(brwtest::AskConnectorPipe(kListRequest).has_value()) << "nothing was served";
}

TEST_F(ConnectorProgram, WithoutTheNotesKeyTheUserIsToldAndTheProgramEnds)
{
    ASSERT_TRUE(brwtest::DeleteTree(HKEY_LOCAL_MACHINE, kNotesKey, brwtest::RegistryView::View32));
    std::unique_ptr<brwtest::RunningProcess> connector = Start();
    const HWND box = WaitForWindow(*connector, {kDialogClass, kProductTitle, brwtest::Shown::Visible});
    ASSERT_NE(nullptr, box);
    const std::vector<std::wstring> texts = brwtest::StaticTexts(box);
    EXPECT_NE(texts.end(),
              std::find(texts.begin(), texts.end(), L"Cannot locate the path to Lotus Notes from the registry."));
    brwtest::PressButton(box, IDOK);
    EXPECT_EQ(0u, ExitCode(*connector));
}

TEST_F(ConnectorProgram, WhereTheNotesLibraryIsMissingTheUserIsToldAndTheProgramEnds)
{
    // The program and its libraries, but no nnotes.dll beside them, and the
    // Notes key naming that folder.
    const std::wstring bare = root_.Sub(L"bare");
    ASSERT_TRUE(CreateDirectoryW(bare.c_str(), nullptr));
    for (const wchar_t* file : {L"BRWConnector.exe", L"BRWHC.exe"}) {
        ASSERT_TRUE(CopyFileW((program_ + L"\\" + file).c_str(), (bare + L"\\" + file).c_str(), FALSE));
    }
    ASSERT_TRUE(brwtest::RegisterNotesFolder(bare));
    std::unique_ptr<brwtest::RunningProcess> connector = Start(bare);
    const HWND box = WaitForWindow(*connector, {kDialogClass, kProductTitle, brwtest::Shown::Visible});
    ASSERT_NE(nullptr, box);
    const std::vector<std::wstring> texts = brwtest::StaticTexts(box);
    EXPECT_NE(texts.end(), std::find(texts.begin(), texts.end(), L"Cannot load nnotes.dll"));
    brwtest::PressButton(box, IDOK);
    EXPECT_EQ(0u, ExitCode(*connector));
}

// ---- serving ---------------------------------------------------------------

TEST_F(ConnectorProgram, AfterTheLoginThePipeAnswersAndTheCrawlCommandIsRefused)
{
    std::unique_ptr<brwtest::RunningProcess> connector = Start();
    AnswerPrompt(*connector, kPassword, Remember::No);
    const std::optional<std::vector<BYTE>> list = AskOnceServing(*connector, kListRequest);
    ASSERT_TRUE(list.has_value());
    EXPECT_NE(std::wstring::npos, brwtest::ReplyText(*list).find(L"jdoe.nsf")) << "the mail file is listed";

    const std::wstring crawl = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><crawl_databases sid=\"" +
                               brw::UserIdentity() + L"\" initthread=\"true\" />";
    const std::optional<std::vector<BYTE>> refused = brwtest::AskConnectorPipe(crawl);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(20u, refused->size());
    EXPECT_EQ(L"<failure/>", brwtest::ReplyText(*refused));
    EXPECT_TRUE(brwtest::AskConnectorPipe(kListRequest).has_value()) << "the pipe is still served after the refusal";
    EXPECT_TRUE(IsCrawlRootIncluded());

    const HWND window = MainWindow(*connector);
    ASSERT_NE(nullptr, window);
    EXPECT_FALSE(IsWindowVisible(window)) << "the window lives in the tray";
    EXPECT_TRUE(TrayIconShown(window));
    SendMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, ExitCode(*connector));
    EXPECT_FALSE(TrayIconShown(window)) << "the tray icon went with the program";
    EXPECT_FALSE(brwtest::AskConnectorPipe(kListRequest).has_value()) << "the pipe went with the program";
}

TEST_F(ConnectorProgram, TheCrawlRootIsAddedOnceOverTwoStarts)
{
    RunAndExit(Remember::No);
    EXPECT_TRUE(IsCrawlRootIncluded());
    const std::string scope = SavedScope();
    ASSERT_FALSE(scope.empty());
    RunAndExit(Remember::No);
    EXPECT_EQ(scope, SavedScope()) << "a second start adds nothing";
}

TEST_F(ConnectorProgram, AWrongPasswordIsAskedAgainAndTheRightOneServes)
{
    std::unique_ptr<brwtest::RunningProcess> connector = Start();
    const HWND first = AnswerPrompt(*connector, L"wrong", Remember::No);
    ASSERT_TRUE(brwtest::WaitForWindowGone(connector->ProcessHandle(), first, kWindowWaitMs));
    AnswerPrompt(*connector, kPassword, Remember::No);
    EXPECT_TRUE(AskOnceServing(*connector, kListRequest).has_value());
    PostMessageW(MainWindow(*connector), WM_COMMAND, kExitCommand, 0);
    EXPECT_EQ(0u, ExitCode(*connector));
}

// ---- the remembered password -----------------------------------------------

TEST_F(ConnectorProgram, ARememberedPasswordIsFilledInAndTheNextStartServesAlone)
{
    RunAndExit(Remember::Yes);
    EXPECT_EQ(1u, brwtest::GetDword(HKEY_CURRENT_USER, kMain, brw::settings::kRememberPassword));

    const ULONGLONG started = GetTickCount64();
    std::unique_ptr<brwtest::RunningProcess> connector = Start();
    ASSERT_TRUE(AskOnceServing(*connector, kListRequest).has_value()) << "served without anyone typing";
    std::cout << "[ figures  ] start to the first pipe answer, password remembered: " << (GetTickCount64() - started)
              << " ms" << std::endl;
    PostMessageW(MainWindow(*connector), WM_COMMAND, kExitCommand, 0);
    EXPECT_EQ(0u, ExitCode(*connector));
}

TEST_F(ConnectorProgram, WhenThePolicyHidesTheCheckBoxTheCacheIsClearedAndNothingIsStored)
{
    RunAndExit(Remember::Yes);
    ASSERT_TRUE(brwtest::SetDword(HKEY_LOCAL_MACHINE, kMain, brw::settings::kHidePasswordCheckBox, 1));
    std::unique_ptr<brwtest::RunningProcess> connector = Start();
    const HWND prompt = WaitForPrompt(*connector);
    ASSERT_NE(nullptr, prompt) << "the remembered password is not used";
    EXPECT_EQ(nullptr, GetDlgItem(prompt, kRememberCheckBox));
    brw::RegKey main = brw::settings::OpenForReading(HKEY_CURRENT_USER, kMain.c_str());
    EXPECT_NE(ERROR_SUCCESS,
              RegQueryValueExW(main.get(), brw::settings::kCachedPassword, nullptr, nullptr, nullptr, nullptr))
        << "the cache was cleared at start";
    AnswerPrompt(*connector, kPassword, Remember::No);
    EXPECT_TRUE(AskOnceServing(*connector, kListRequest).has_value());
    PostMessageW(MainWindow(*connector), WM_COMMAND, kExitCommand, 0);
    EXPECT_EQ(0u, ExitCode(*connector));
    EXPECT_NE(ERROR_SUCCESS,
              RegQueryValueExW(main.get(), brw::settings::kCachedPassword, nullptr, nullptr, nullptr, nullptr));
}

// ---- the debug console ------------------------------------------------------

TEST_F(ConnectorProgram, WithTheDebugConsoleOnTheLinesAreShownAndOffNothingIsWritten)
{
    struct Case {
        DWORD debugConsole;
        bool shown;
    };
    for (const Case c : {Case{1, true}, Case{0, false}}) {
        SCOPED_TRACE(c.debugConsole);
        ASSERT_TRUE(brwtest::SetDword(HKEY_CURRENT_USER, kMain, brw::kDebugConsoleValueName, c.debugConsole));
        std::unique_ptr<brwtest::RunningProcess> connector = Start();
        AnswerPrompt(*connector, kPassword, Remember::No);
        ASSERT_TRUE(AskOnceServing(*connector, kListRequest).has_value());
        const ConsoleSeen seen = LookAtConsole(*connector);
        EXPECT_TRUE(seen.attached) << "the console host's console stays with the connector";
        EXPECT_EQ(c.shown, seen.visible);
        // The console host writes its own lines either way; the connector
        // only when the setting is on.
        EXPECT_EQ(c.shown, seen.text.find(L"Console recreated") != std::wstring::npos) << seen.text;
        EXPECT_EQ(c.shown, seen.text.find(L"Check login") != std::wstring::npos) << seen.text;
        EXPECT_NE(std::wstring::npos, seen.text.find(L"Waiting for close event")) << seen.text;
        PostMessageW(MainWindow(*connector), WM_COMMAND, kExitCommand, 0);
        EXPECT_EQ(0u, ExitCode(*connector));
    }
}

} // namespace
