// The dialog for adding a database: driven like a user would, from a second
// thread, while the test's own thread runs it modally.
#include "notesdata/exports/SelectDatabase.h"

#include "common/Handles.h"
#include "notesdata/tests/NotesDataFixture.h"

#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr wchar_t kDialogTitle[] = L"Select a mail file or mail archive file";
constexpr wchar_t kErrorTitle[] = L"Error opening database";
// Generous: the first dialog of a fresh Wine prefix is slow to appear.
constexpr DWORD kWindowWaitMs = 60000;

// The top-level windows activated on the thread that made this, by title,
// as a CBT hook reports them; another thread waits for one to appear.
class ActivatedWindows {
public:
    ActivatedWindows()
    {
        instance_ = this;
        hook_ = SetWindowsHookExW(WH_CBT, &OnCbt, nullptr, GetCurrentThreadId());
    }
    ~ActivatedWindows()
    {
        if (hook_ != nullptr) {
            UnhookWindowsHookEx(hook_);
        }
        instance_ = nullptr;
    }
    ActivatedWindows(const ActivatedWindows&) = delete;
    ActivatedWindows& operator=(const ActivatedWindows&) = delete;

    bool Hooked() const { return hook_ != nullptr; }

    // The first window with this title not yet handed out; null when none
    // comes within the wait.
    HWND WaitFor(const std::wstring& title)
    {
        std::unique_lock<std::mutex> lock(lock_);
        HWND found = nullptr;
        changed_.wait_for(lock, std::chrono::milliseconds(kWindowWaitMs), [&] {
            for (Window& window : windows_) {
                if (!window.handedOut && window.title == title) {
                    window.handedOut = true;
                    found = window.handle;
                    return true;
                }
            }
            return false;
        });
        return found;
    }

private:
    struct Window {
        HWND handle;
        std::wstring title;
        bool handedOut;
    };

    static LRESULT CALLBACK OnCbt(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_ACTIVATE && instance_ != nullptr) {
            instance_->Record(reinterpret_cast<HWND>(wParam));
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    void Record(HWND window)
    {
        wchar_t title[256] = {};
        GetWindowTextW(window, title, 256);
        std::lock_guard<std::mutex> guard(lock_);
        for (const Window& known : windows_) {
            if (known.handle == window && known.title == title) {
                return; // activated again, say when a box it owns closes
            }
        }
        windows_.push_back({window, title, false});
        changed_.notify_all();
    }

    static ActivatedWindows* instance_;
    HHOOK hook_ = nullptr;
    std::mutex lock_;
    std::condition_variable changed_;
    std::vector<Window> windows_;
};

ActivatedWindows* ActivatedWindows::instance_ = nullptr;

// What a user does in the old-style dialog: type into the file-name field,
// press a button. Sent messages return once the dialog has handled them.
void TypeFileName(HWND dialog, const std::wstring& text)
{
    SendMessageW(GetDlgItem(dialog, edt1), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool PressOkAndWait(HWND dialog)
{
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)), SMTO_NORMAL, kWindowWaitMs,
                               &ignored) != 0;
}

// For a press whose handling shows a box of its own, and so does not
// return before someone answers that box.
void PressButton(HWND window, int button)
{
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, button)));
}

std::wstring Lower(std::wstring text)
{
    CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

class SelectDatabaseDialog : public brwtest::NotesDataTest {
protected:
    struct Outcome {
        bool chosen = false;
        std::wstring path;
    };

    void SetUp() override
    {
        NotesDataTest::SetUp();
        NewDatabase(L"projects.nsf", L"--title Projects");
        CreateDirectoryW(DataPath(L"x.nsf").c_str(), nullptr);
        WriteBrokenDatabase();
    }

    void WriteBrokenDatabase()
    {
        const std::wstring path = DataPath(L"broken.nsf");
        brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
        const char bytes[] = "this is not a Notes database";
        DWORD written = 0;
        ASSERT_TRUE(file && WriteFile(file.get(), bytes, sizeof(bytes), &written, nullptr));
    }

    // Runs the dialog here while `drive` plays the user on another thread.
    // Whatever `drive` leaves open is cancelled, so a failing case ends.
    Outcome RunDialog(const std::function<void(HWND dialog, ActivatedWindows& windows)>& drive)
    {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        ActivatedWindows windows;
        EXPECT_TRUE(windows.Hooked());
        std::thread user([&] {
            const HWND dialog = windows.WaitFor(kDialogTitle);
            if (dialog == nullptr) {
                ADD_FAILURE() << "the dialog did not appear";
                return;
            }
            drive(dialog, windows);
            if (IsWindow(dialog) && IsWindowVisible(dialog)) {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }
        });
        wchar_t path[MAX_PATH] = L"left over";
        Outcome outcome;
        outcome.chosen = brw::ShowSelectDatabaseDialog(GetModuleHandleW(nullptr), nullptr, path, MAX_PATH);
        user.join();
        outcome.path = path;
        // The old-style dialog moves the process into the folders it shows;
        // the test's folder must be free to go at the end.
        SetCurrentDirectoryW(folder);
        return outcome;
    }
};

TEST_F(SelectDatabaseDialog, ADatabaseOfTheDataDirectoryIsChosenByItsName)
{
    const Outcome outcome = RunDialog([](HWND dialog, ActivatedWindows&) {
        TypeFileName(dialog, L"projects.nsf");
        EXPECT_TRUE(PressOkAndWait(dialog));
    });
    EXPECT_TRUE(outcome.chosen);
    EXPECT_EQ(Lower(DataPath(L"projects.nsf")), Lower(outcome.path)) << "the dialog opens in the data directory";
}

TEST_F(SelectDatabaseDialog, AFolderNamedLikeADatabaseKeepsTheDialogOpen)
{
    const std::wstring database = DataPath(L"projects.nsf");
    const Outcome outcome = RunDialog([&](HWND dialog, ActivatedWindows&) {
        TypeFileName(dialog, DataPath(L"x.nsf"));
        ASSERT_TRUE(PressOkAndWait(dialog));
        EXPECT_TRUE(IsWindowVisible(dialog));
        TypeFileName(dialog, database);
        EXPECT_TRUE(PressOkAndWait(dialog));
    });
    EXPECT_TRUE(outcome.chosen);
    EXPECT_EQ(Lower(database), Lower(outcome.path)) << "the folder was not taken; the next choice was";
}

TEST_F(SelectDatabaseDialog, AFileThatDoesNotOpenIsReportedOverTheDialogAndRefused)
{
    std::wstring message;
    HWND owner = nullptr;
    HWND shownOver = nullptr;
    const Outcome outcome = RunDialog([&](HWND dialog, ActivatedWindows& windows) {
        shownOver = dialog;
        TypeFileName(dialog, DataPath(L"broken.nsf"));
        PressButton(dialog, IDOK);
        const HWND box = windows.WaitFor(kErrorTitle);
        ASSERT_NE(nullptr, box) << "no error box";
        owner = GetWindow(box, GW_OWNER);
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        message = text;
        PressButton(box, IDOK);
        // Posted after the box's answer, so it reaches the dialog only once
        // the refused choice is dealt with; an accepted one would have
        // closed the dialog with a result already.
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(shownOver, owner);
    EXPECT_FALSE(message.empty()) << "the box says why";
    EXPECT_FALSE(outcome.chosen);
    EXPECT_EQ(L"", outcome.path);
}

TEST_F(SelectDatabaseDialog, CancelChoosesNothingAndEmptiesTheBuffer)
{
    const Outcome outcome = RunDialog([](HWND dialog, ActivatedWindows&) {
        TypeFileName(dialog, L"projects.nsf");
        PressButton(dialog, IDCANCEL);
    });
    EXPECT_FALSE(outcome.chosen);
    EXPECT_EQ(L"", outcome.path);
}

TEST_F(SelectDatabaseDialog, ABufferThatCannotHoldAPathShowsNoDialog)
{
    wchar_t one[1] = {L'x'};
    EXPECT_FALSE(brw::ShowSelectDatabaseDialog(nullptr, nullptr, one, 1));
    EXPECT_EQ(L'\0', one[0]);
    wchar_t untouched[2] = {L'x', L'y'};
    EXPECT_FALSE(brw::ShowSelectDatabaseDialog(nullptr, nullptr, untouched, 0));
    EXPECT_EQ(L'x', untouched[0]);
    EXPECT_FALSE(brw::ShowSelectDatabaseDialog(nullptr, nullptr, nullptr, 260));
}

// The hook's check on its own, for choices the dialog itself would already
// turn away before asking it.
class DatabaseChoice : public SelectDatabaseDialog {
protected:
    bool Accepts(std::wstring path, DWORD maxFile = 0)
    {
        path.resize(path.size() + 1);
        OPENFILENAMEW choice{};
        choice.lStructSize = sizeof(choice);
        choice.lpstrFile = path.data();
        choice.nMaxFile = maxFile != 0 ? maxFile : static_cast<DWORD>(path.size());
        return brw::IsSelectableDatabase(choice, nullptr);
    }
};

TEST_F(DatabaseChoice, OnlyAnExistingFileThatOpensIsAccepted)
{
    EXPECT_TRUE(Accepts(DataPath(L"projects.nsf")));
    EXPECT_FALSE(Accepts(L""));
    EXPECT_FALSE(Accepts(DataDir() + L"\\")) << "no file name";
    EXPECT_FALSE(Accepts(DataPath(L"missing.nsf")));
    EXPECT_FALSE(Accepts(DataPath(L"x.nsf"))) << "a folder";
    EXPECT_FALSE(Accepts(DataPath(L"broken.nsf")));
    const std::wstring database = DataPath(L"projects.nsf");
    EXPECT_FALSE(Accepts(database, static_cast<DWORD>(database.size() - 4)))
        << "only the characters within the buffer's length count";
}

} // namespace
