// How BRWConnector.exe ends: what it leaves behind on disk after an orderly
// exit, and how it ends when a step of its own start-up fails.
#include "common/WideString.h"
#include "connector/StartupSteps.h"
#include "connector/tests/ConnectorProgramFixture.h"
#include "connector/tests/CrawlPassWatch.h"
#include "connector/tests/WindowRefusalHook.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr DWORD kToolWaitMs = 60000;
// The crawl's period is five minutes; its first pass comes at once.
constexpr DWORD kPassWaitMs = 60000;

// ---- managed temporary files ------------------------------------------------

class ConnectorExit : public ConnectorProgram {
protected:
    // A memo in the mail file with one attachment made from `text`; its
    // note id in hex, empty on failure.
    std::wstring AddMemoWithAttachment(const std::wstring& fileName, const char* text)
    {
        const std::wstring source = root_.Sub(fileName);
        std::ofstream(source.c_str(), std::ios::binary) << text;
        brwtest::ProcessSpec launch;
        launch.commandLine = brwtest::Quoted(brwtest::BinaryIn32BitTree(L"platform\\notes\\notesdb.exe")) + L" add " +
                             brwtest::Quoted(mailFile_) + L" --form Memo --text Subject=Plan --attach " +
                             brwtest::Quoted(source);
        brwtest::RunningProcess tool(launch);
        const brwtest::ProcessResult result = tool.Wait(kToolWaitMs);
        EXPECT_EQ(0u, result.exitCode) << result.output;
        const size_t end = result.output.find_first_not_of("0123456789ABCDEF");
        return brw::Utf8ToWide(result.output.substr(0, end));
    }

    // Asks for the first attachment of the note as the attachment filter
    // does; the extracted file's path, empty when the reply names none.
    std::wstring ExtractAttachment(const std::wstring& noteId, const wchar_t* manage)
    {
        const std::wstring request = L"<?xml version=\"1.0\" encoding=\"UTF-16\" ?><get_document db=\"mail\\jdoe.nsf\" "
                                     L"tempdir=\"" +
                                     tempDir_ + L"\" id=\"" + noteId + L"\" attnum=\"1\" manage=\"" + manage +
                                     L"\" preview=\"false\"/>";
        const std::optional<std::vector<BYTE>> reply = brwtest::AskConnectorPipe(request);
        if (!reply) {
            return {};
        }
        const std::wstring text = brwtest::ReplyText(*reply);
        const std::wstring open = L"<diskfilename>";
        const size_t start = text.find(open);
        const size_t end = text.find(L"</diskfilename>");
        if (start == std::wstring::npos || end == std::wstring::npos) {
            ADD_FAILURE() << "no extracted file in " << brw::WideToUtf8(text);
            return {};
        }
        return text.substr(start + open.size(), end - start - open.size());
    }

    static bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

    std::wstring mailFile_ = program_ + L"\\data\\mail\\jdoe.nsf";
    std::wstring tempDir_ = root_.Sub(L"temp");
};

TEST_F(ConnectorExit, EndingByCloseOrByExitDeletesTheManagedAttachmentsAndKeepsTheOthers)
{
    ASSERT_TRUE(CreateDirectoryW(tempDir_.c_str(), nullptr));
    const std::wstring managedNote = AddMemoWithAttachment(L"plan.txt", "the plan");
    const std::wstring keptNote = AddMemoWithAttachment(L"keep.txt", "kept");
    ASSERT_FALSE(managedNote.empty());
    ASSERT_FALSE(keptNote.empty());

    struct Ending {
        const char* name;
        UINT message;
        WPARAM command;
    };
    for (const Ending ending : {Ending{"WM_CLOSE", WM_CLOSE, 0}, Ending{"Exit", WM_COMMAND, kExitCommand}}) {
        SCOPED_TRACE(ending.name);
        ASSERT_TRUE(brwtest::ListWithoutRecordedTime(mailFile_));
        std::unique_ptr<brwtest::RunningProcess> connector = Start();
        AnswerPrompt(*connector, kPassword, Remember::No);
        ASSERT_TRUE(AskOnceServing(*connector, kListRequest).has_value());
        // Every crawl pass starts with the manager's delete pass; the files
        // are asked for once the pass at start has ended, so that only the
        // exit can take them.
        ASSERT_TRUE(brwtest::WaitForRecordedTime(mailFile_, connector->ProcessHandle(), kPassWaitMs));
        const std::wstring managed = ExtractAttachment(managedNote, L"true");
        const std::wstring kept = ExtractAttachment(keptNote, L"false");
        ASSERT_TRUE(Exists(managed)) << brw::WideToUtf8(managed);
        ASSERT_TRUE(Exists(kept)) << brw::WideToUtf8(kept);

        PostMessageW(MainWindow(*connector), ending.message, ending.command, 0);
        EXPECT_EQ(0u, ExitCode(*connector));
        EXPECT_FALSE(Exists(managed)) << "a managed file outlived the program";
        EXPECT_TRUE(Exists(kept)) << "only files handed to the manager are its to delete";
        brwtest::RemoveTree(tempDir_ + L"\\Quexlink");
    }
}

// ---- a start-up that cannot make its window ---------------------------------

struct HookTraits {
    using pointer = HHOOK;
    static pointer Invalid() noexcept { return nullptr; }
    static bool IsValid(pointer hook) noexcept { return hook != nullptr; }
    static void Close(pointer hook) noexcept { UnhookWindowsHookEx(hook); }
};

// Windows of one class cannot be created in the programs this test starts
// while the holder lives: the refusal hook is installed for the desktop and
// the class named in the environment the programs inherit.
class RefusedWindowClass {
public:
    explicit RefusedWindowClass(const wchar_t* className)
        : library_(LoadLibraryW(brwtest::BinaryIn32BitTree(brwtest::kWindowRefusalLibrary).c_str()))
    {
        const auto procedure = library_ ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(
                                              GetProcAddress(library_.get(), brwtest::kWindowRefusalProcedure)))
                                        : nullptr;
        constexpr DWORD kEveryThread = 0;
        if (procedure != nullptr) {
            hook_.reset(SetWindowsHookExW(WH_CBT, procedure, library_.get(), kEveryThread));
        }
        SetEnvironmentVariableW(brwtest::kRefusedWindowClassVariable, className);
    }
    ~RefusedWindowClass() { SetEnvironmentVariableW(brwtest::kRefusedWindowClassVariable, nullptr); }
    RefusedWindowClass(const RefusedWindowClass&) = delete;
    RefusedWindowClass& operator=(const RefusedWindowClass&) = delete;

    bool Installed() const { return static_cast<bool>(hook_); }

private:
    brw::ModuleHandle library_;
    brw::UniqueResource<HookTraits> hook_; // removed before the library is freed
};

TEST_F(ConnectorExit, WithoutItsMainWindowTheProgramServesNothingAndEndsWithItsFailureCode)
{
    // The frame itself, and the database list inside it.
    for (const wchar_t* refusedClass : {kMainClass, WC_LISTVIEWW}) {
        SCOPED_TRACE(brw::WideToUtf8(refusedClass));
        std::unique_ptr<brwtest::RunningProcess> connector;
        {
            const RefusedWindowClass refused(refusedClass);
            ASSERT_TRUE(refused.Installed());
            connector = Start();
            EXPECT_EQ(static_cast<DWORD>(brw::kNoMainWindowExitCode), ExitCode(*connector));
        }
        EXPECT_FALSE(brwtest::AskConnectorPipe(kListRequest).has_value()) << "nothing was served";
        EXPECT_EQ(nullptr, WaitForPrompt(*connector)) << "no login without a window";
    }
    // Those runs ended in order: nothing of theirs stands in the way of the
    // next start, which serves.
    RunAndExit(Remember::No);
}

} // namespace
