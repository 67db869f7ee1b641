// Opening results through BRWHandler's export, with the prefix's shell doing
// the launching: a program registered for notes: URLs and one for a test
// file type record what reaches them, and the connector's pipe answers from
// a script.
#include "common/Handles.h"
#include "common/PipeProtocol.h"
#include "common/WideString.h"
#include "handler/protocol/ProcessUrl.h"
#include "handler/tests/TestPipeServer.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/CallerTrace.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shellapi.h>

#include <atomic>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

namespace {

using brwtest::RegistryView;

// Windows merges the user's classes into HKEY_CLASSES_ROOT; Wine's shell
// reads only the machine's, so the tests register there, in the run's own
// prefix.
constexpr wchar_t kNotesClasses[] = L"notes";
constexpr wchar_t kTestType[] = L".brwopentest";
constexpr wchar_t kTestTypeClasses[] = L".brwopentest";
constexpr wchar_t kTestProgId[] = L"BrwOpenTest.File";
constexpr wchar_t kDocumentUrl[] = L"brw://{S-1-5-21-7}/mail/jdoe.nsf/00001A2B";
constexpr wchar_t kDocumentTarget[] = L"notes:///mail/jdoe.nsf/0/00001A2B";
constexpr DWORD kLaunchWaitMs = 30000;
constexpr wchar_t kBrwProtocol[] = L"Brw";

using ProcessUrlFunction = int(WINAPI*)(const wchar_t*, const wchar_t*);

std::wstring TemporaryFolder()
{
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD units = GetTempPathW(MAX_PATH + 1, path);
    std::wstring folder(path, units);
    if (!folder.empty() && folder.back() == L'\\') {
        folder.pop_back();
    }
    return folder;
}

void RegisterOpenCommand(const std::wstring& classesKey, const std::wstring& recorder)
{
    ASSERT_TRUE(brwtest::SetString(HKEY_CLASSES_ROOT, classesKey + L"\\shell\\open\\command", L"",
                                   brwtest::Quoted(recorder) + L" \"%1\""));
}

// Counts the windows activated on this thread and closes each message box
// from a second thread, as a user would, with its caption and text kept; a
// test that fails to launch therefore ends instead of waiting for a click.
class MessageBoxWatch {
public:
    MessageBoxWatch()
    {
        instance_ = this;
        shown_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        hook_.reset(SetWindowsHookExW(WH_CBT, &MessageBoxWatch::Hook, nullptr, GetCurrentThreadId()));
        closer_ = std::thread([this] { CloseWhenShown(); });
    }
    ~MessageBoxWatch()
    {
        stop_ = true;
        SetEvent(shown_.get());
        closer_.join();
        hook_.reset();
        instance_ = nullptr;
    }
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

    bool Hooked() const { return static_cast<bool>(hook_); }
    int Shown() const { return count_; }
    const std::wstring& Caption() const { return caption_; }
    const std::wstring& Text() const { return text_; }

private:
    struct HookTraits {
        using pointer = HHOOK;
        static pointer Invalid() noexcept { return nullptr; }
        static bool IsValid(pointer hook) noexcept { return hook != nullptr; }
        static void Close(pointer hook) noexcept { UnhookWindowsHookEx(hook); }
    };

    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam)
    {
        // A window is activated again when it gets the focus back; each
        // window counts once. Wine also reports an activation of no window
        // when the box goes, which Windows does not.
        const HWND window = reinterpret_cast<HWND>(wParam);
        if (code == HCBT_ACTIVATE && window != nullptr && instance_ != nullptr && instance_->window_ != window) {
            ++instance_->count_;
            instance_->window_ = window;
            SetEvent(instance_->shown_.get());
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void CloseWhenShown()
    {
        while (WaitForSingleObject(shown_.get(), INFINITE) == WAIT_OBJECT_0 && !stop_) {
            wchar_t text[2048] = {};
            GetWindowTextW(window_, text, 2048);
            caption_ = text;
            // The message box's text is its static control.
            constexpr int kMessageTextControl = 0xFFFF;
            GetDlgItemTextW(window_, kMessageTextControl, text, 2048);
            text_ = text;
            PostMessageW(window_, WM_COMMAND, IDOK, 0);
        }
    }

    static inline MessageBoxWatch* instance_ = nullptr;
    brw::KernelHandle shown_;
    brw::UniqueResource<HookTraits> hook_;
    std::thread closer_;
    std::atomic<bool> stop_{false};
    std::atomic<int> count_{0};
    std::atomic<HWND> window_{nullptr};
    std::wstring caption_;
    std::wstring text_;
};

// The handler's export, the recorder's log and event, and the prefix's
// associations for notes: and the test type, all gone after each test.
class OpenResultShell : public testing::Test {
protected:
    void SetUp() override
    {
        handler_.reset(LoadLibraryW(brwtest::BinaryIn64BitTree(L"handler\\BRWHandler.dll").c_str()));
        ASSERT_TRUE(handler_);
        processUrl_ =
            reinterpret_cast<ProcessUrlFunction>(reinterpret_cast<void*>(GetProcAddress(handler_.get(), "ProcessURL")));
        ASSERT_NE(nullptr, processUrl_);
        recorder_ = brwtest::BinaryIn64BitTree(L"tests\\brw_open_recorder.exe");
        const std::wstring eventName = L"Local\\brw-open-test-" + std::to_wstring(GetCurrentProcessId());
        launched_.reset(CreateEventW(nullptr, FALSE, FALSE, eventName.c_str()));
        ASSERT_TRUE(launched_);
        ASSERT_TRUE(SetEnvironmentVariableW(L"BRW_OPEN_LOG", scratch_.Sub(L"opened.log").c_str()));
        ASSERT_TRUE(SetEnvironmentVariableW(L"BRW_OPEN_EVENT", eventName.c_str()));
        watch_ = std::make_unique<MessageBoxWatch>();
        ASSERT_TRUE(watch_->Hooked());
    }

    void TearDown() override { watch_.reset(); }

    void RegisterNotesProtocol()
    {
        ASSERT_TRUE(brwtest::SetString(HKEY_CLASSES_ROOT, kNotesClasses, L"", L"URL:Notes Protocol"));
        ASSERT_TRUE(brwtest::SetString(HKEY_CLASSES_ROOT, kNotesClasses, L"URL Protocol", L""));
        RegisterOpenCommand(kNotesClasses, recorder_);
    }

    void RegisterTestType()
    {
        ASSERT_TRUE(brwtest::SetString(HKEY_CLASSES_ROOT, kTestTypeClasses, L"", L"BrwOpenTest.File"));
        RegisterOpenCommand(kTestProgId, recorder_);
    }

    // What the recorder received, once it has run.
    std::string WaitForLaunch(const char* file = __builtin_FILE(), int line = __builtin_LINE())
    {
        const brwtest::CallerTrace trace(file, line);
        EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(launched_.get(), kLaunchWaitMs));
        return LoggedText();
    }

    std::string LoggedText()
    {
        std::ifstream log(scratch_.Sub(L"opened.log").c_str(), std::ios::binary);
        std::ostringstream text;
        text << log.rdbuf();
        return text.str();
    }

    brwtest::ScratchFolder scratch_{L"brwopen"};
    brwtest::ScratchKey notes_{HKEY_CLASSES_ROOT, kNotesClasses};
    brwtest::ScratchKey type_{HKEY_CLASSES_ROOT, kTestTypeClasses};
    brwtest::ScratchKey progId_{HKEY_CLASSES_ROOT, kTestProgId};
    brw::ModuleHandle handler_;
    ProcessUrlFunction processUrl_ = nullptr;
    std::wstring recorder_;
    brw::KernelHandle launched_;
    std::unique_ptr<MessageBoxWatch> watch_;
};

TEST_F(OpenResultShell, ADocumentReachesTheProgramOfNotesUrls)
{
    RegisterNotesProtocol();
    EXPECT_EQ(0, processUrl_(L"o", kDocumentUrl));
    EXPECT_EQ(brw::WideToUtf8(kDocumentTarget) + "\n", WaitForLaunch());
    EXPECT_EQ(0, watch_->Shown());
}

// The extracted file the scripted connector names, under the temporary
// folder the request names, as the data service would write it.
class ExtractedFile {
public:
    // copiedFrom: a file whose bytes the attachment gets; empty for a text.
    ExtractedFile(const std::wstring& name, const std::wstring& copiedFrom)
        : folder_(TemporaryFolder() + L"\\Quexlink\\open-test-" + std::to_wstring(GetCurrentProcessId())),
          path_(folder_ + L"\\" + name)
    {
        CreateDirectoryW((TemporaryFolder() + L"\\Quexlink").c_str(), nullptr);
        CreateDirectoryW(folder_.c_str(), nullptr);
        if (!copiedFrom.empty()) {
            CopyFileW(copiedFrom.c_str(), path_.c_str(), FALSE);
            return;
        }
        brw::FileHandle file(
            CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written = 0;
        WriteFile(file.get(), "attachment", 10, &written, nullptr);
    }
    ~ExtractedFile() { brwtest::RemoveTree(folder_); }
    ExtractedFile(const ExtractedFile&) = delete;
    ExtractedFile& operator=(const ExtractedFile&) = delete;

    const std::wstring& Path() const { return path_; }
    bool Exists() const { return GetFileAttributesW(path_.c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    std::wstring folder_;
    std::wstring path_;
};

std::unique_ptr<brwtest::TestPipeServer> ConnectorAnswering(const std::wstring& file)
{
    const std::wstring reply =
        L"<document><attachment><diskfilename>" + file + L"</diskfilename></attachment></document>";
    return std::make_unique<brwtest::TestPipeServer>(
        brw::kConnectorPipeName, [reply](const std::vector<BYTE>&) { return brwtest::Utf16Bytes(reply); });
}

TEST_F(OpenResultShell, AnAttachmentOfARegisteredTypeReachesItsProgram)
{
    RegisterNotesProtocol();
    RegisterTestType();
    const ExtractedFile file(std::wstring(L"report") + kTestType, L"");
    const auto connector = ConnectorAnswering(file.Path());
    ASSERT_TRUE(connector->Listening());

    EXPECT_EQ(0, processUrl_(L"o", (std::wstring(kDocumentUrl) + L"#1#report" + kTestType).c_str()));

    EXPECT_EQ(brw::WideToUtf8(file.Path()) + "\n", WaitForLaunch());
    const std::wstring request = connector->LastRequestText();
    EXPECT_NE(std::wstring::npos, request.find(L"attnum=\"1\"")) << brw::WideToUtf8(request);
    EXPECT_NE(std::wstring::npos, request.find(L"manage=\"true\"")) << brw::WideToUtf8(request);
    EXPECT_NE(std::wstring::npos, request.find(L"tempdir=\"" + TemporaryFolder() + L"\"")) << brw::WideToUtf8(request);
    // The connector's manager owns the file; the handler leaves it alone.
    EXPECT_TRUE(file.Exists());
}

TEST_F(OpenResultShell, AProgramAttachmentOpensItsDocumentInstead)
{
    RegisterNotesProtocol();
    // A program that would record an empty argument, had it been run.
    const ExtractedFile file(L"invoice.pdf.exe", recorder_);
    ASSERT_TRUE(file.Exists());
    const auto connector = ConnectorAnswering(file.Path());
    ASSERT_TRUE(connector->Listening());

    EXPECT_EQ(0, processUrl_(L"o", (std::wstring(kDocumentUrl) + L"#1#invoice.pdf.exe").c_str()));

    EXPECT_EQ(brw::WideToUtf8(kDocumentTarget) + "\n", WaitForLaunch());
    EXPECT_EQ(0, watch_->Shown());
}

TEST_F(OpenResultShell, WithoutAProgramForNotesUrlsTheMessageBoxIsShownOnce)
{
    EXPECT_EQ(1, processUrl_(L"o", kDocumentUrl));

    EXPECT_EQ(1, watch_->Shown());
    EXPECT_EQ(L"Launching Notes URL Failed", watch_->Caption());
    EXPECT_EQ(0u, watch_->Text().find(L"Brimlow Search was unable to launch the Lotus Notes document or message."));
}

TEST_F(OpenResultShell, AnInjectionUrlReturnsOneAndShowsNothing)
{
    RegisterNotesProtocol();
    EXPECT_EQ(1, processUrl_(L"o", L"brw://{S-1-5-21-7}/-Pipe x.nsf/00001A2B"));
    EXPECT_EQ(1, processUrl_(L"o", L"brw://{S-1-5-21-7}/a\" =x.nsf/00001A2B"));
    EXPECT_EQ(1, processUrl_(L"o", L"brw://{S-1-5-21-7}/mail/jdoe.nsf/1A2B -x"));

    EXPECT_EQ(0, watch_->Shown());
    EXPECT_EQ("", LoggedText());
}

// BRW registered by its own switch, started by the shell for a link as a
// browser hands it on, and ProcessURL reached through it.
class LauncherRegistered {
public:
    LauncherRegistered() : program_(brwtest::BinaryIn64BitTree(L"launcher\\BRW.exe")) { result_ = Run(L"/RegServer"); }
    ~LauncherRegistered() { Run(L"-UnregServer"); }
    LauncherRegistered(const LauncherRegistered&) = delete;
    LauncherRegistered& operator=(const LauncherRegistered&) = delete;

    DWORD Result() const { return result_; }

private:
    DWORD Run(const wchar_t* argument)
    {
        brwtest::ProcessSpec launch;
        launch.commandLine = brwtest::Quoted(program_) + L" " + argument;
        return brwtest::RunningProcess(launch).Wait(kLaunchWaitMs).exitCode;
    }

    std::wstring program_;
    DWORD result_ = STILL_ACTIVE;
};

TEST_F(OpenResultShell, ABrwLinkOpenedByTheShellReachesNotesThroughTheLauncher)
{
    RegisterNotesProtocol();
    const brwtest::ScratchKey protocol(HKEY_CLASSES_ROOT, kBrwProtocol);
    const LauncherRegistered launcher;
    ASSERT_EQ(0u, launcher.Result());

    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", L"brw://%7BS-1-5-21-7%7D/mail/jdoe.nsf/00001A2B", nullptr, nullptr, SW_SHOW));
    EXPECT_LT(32, started);

    EXPECT_EQ(brw::WideToUtf8(kDocumentTarget) + "\n", WaitForLaunch());
}

} // namespace
