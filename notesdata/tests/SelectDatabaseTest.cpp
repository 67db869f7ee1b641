// The dialog for adding a database: driven like a user would, from a second
// thread, while the test's own thread runs it modally.
#include "notesdata/exports/SelectDatabase.h"

#include "common/Handles.h"
#include "notesdata/tests/NotesDataFixture.h"
#include "tests/support/DialogUser.h"

#include <windows.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <string>

namespace {

constexpr wchar_t kDialogTitle[] = L"Select a mail file or mail archive file";
constexpr wchar_t kErrorTitle[] = L"Error opening database";
// Generous: the first dialog of a fresh Wine prefix is slow to appear.
constexpr DWORD kWindowWaitMs = 60000;

constexpr wchar_t kDialogClass[] = L"#32770";
constexpr brwtest::WindowMatch kDialog{kDialogClass, kDialogTitle, brwtest::Shown::Visible};
constexpr brwtest::WindowMatch kErrorBox{kDialogClass, kErrorTitle, brwtest::Shown::Visible};

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
    Outcome RunDialog(const brwtest::DialogUser::Part& drive, const char* file = __builtin_FILE(),
                      int line = __builtin_LINE())
    {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        wchar_t path[MAX_PATH] = L"left over";
        Outcome outcome;
        {
            const brwtest::DialogUser user(kDialog, drive, kWindowWaitMs, file, line);
            outcome.chosen = brw::ShowSelectDatabaseDialog(GetModuleHandleW(nullptr), nullptr, path, MAX_PATH);
        }
        outcome.path = path;
        // The old-style dialog moves the process into the folders it shows;
        // the test's folder must be free to go at the end.
        SetCurrentDirectoryW(folder);
        return outcome;
    }
};

TEST_F(SelectDatabaseDialog, ADatabaseOfTheDataDirectoryIsChosenByItsName)
{
    const Outcome outcome = RunDialog([](HWND dialog) {
        ASSERT_TRUE(brwtest::TypeIntoItem(dialog, edt1, L"projects.nsf"));
        EXPECT_TRUE(brwtest::PressButtonAndWait(dialog, IDOK, kWindowWaitMs));
    });
    EXPECT_TRUE(outcome.chosen);
    EXPECT_EQ(Lower(DataPath(L"projects.nsf")), Lower(outcome.path)) << "the dialog opens in the data directory";
}

TEST_F(SelectDatabaseDialog, AFolderNamedLikeADatabaseKeepsTheDialogOpen)
{
    const std::wstring database = DataPath(L"projects.nsf");
    const Outcome outcome = RunDialog([&](HWND dialog) {
        ASSERT_TRUE(brwtest::TypeIntoItem(dialog, edt1, DataPath(L"x.nsf")));
        ASSERT_TRUE(brwtest::PressButtonAndWait(dialog, IDOK, kWindowWaitMs));
        EXPECT_TRUE(IsWindowVisible(dialog));
        ASSERT_TRUE(brwtest::TypeIntoItem(dialog, edt1, database));
        EXPECT_TRUE(brwtest::PressButtonAndWait(dialog, IDOK, kWindowWaitMs));
    });
    EXPECT_TRUE(outcome.chosen);
    EXPECT_EQ(Lower(database), Lower(outcome.path)) << "the folder was not taken; the next choice was";
}

TEST_F(SelectDatabaseDialog, AFileThatDoesNotOpenIsReportedOverTheDialogAndRefused)
{
    std::wstring message;
    HWND owner = nullptr;
    HWND shownOver = nullptr;
    const Outcome outcome = RunDialog([&](HWND dialog) {
        shownOver = dialog;
        ASSERT_TRUE(brwtest::TypeIntoItem(dialog, edt1, DataPath(L"broken.nsf")));
        brwtest::PressButton(dialog, IDOK);
        const HWND box = brwtest::WaitForOwnWindow(kErrorBox, kWindowWaitMs);
        ASSERT_NE(nullptr, box) << "no error box";
        owner = GetWindow(box, GW_OWNER);
        wchar_t text[512] = {};
        GetDlgItemTextW(box, 0xFFFF, text, 512);
        message = text;
        brwtest::PressButton(box, IDOK);
        // Posted after the box's answer, so it reaches the dialog only once
        // the refused choice is dealt with; an accepted one would have
        // closed the dialog with a result already.
        brwtest::PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(shownOver, owner);
    EXPECT_FALSE(message.empty()) << "the box says why";
    EXPECT_FALSE(outcome.chosen);
    EXPECT_EQ(L"", outcome.path);
}

TEST_F(SelectDatabaseDialog, CancelChoosesNothingAndEmptiesTheBuffer)
{
    const Outcome outcome = RunDialog([](HWND dialog) {
        ASSERT_TRUE(brwtest::TypeIntoItem(dialog, edt1, L"projects.nsf"));
        brwtest::PressButton(dialog, IDCANCEL);
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
