// The programs around the library: the database tool, nxrtf.dll's ExportRTF,
// notes.exe and the ID password prompt.
#include "platform/notes/CdRecords.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/PasswordPrompt.h"
#include "platform/notes/tests/NotesFixture.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <string>

namespace {

constexpr DWORD kTimeoutMs = 60000;

brwtest::ProcessResult RunTool(const std::wstring& arguments)
{
    brwtest::ProcessSpec launch;
    launch.commandLine = brwtest::Quoted(brwtest::ThisProgramFolder() + L"\\notesdb.exe") + L" " + arguments;
    brwtest::RunningProcess process(launch);
    return process.Wait(kTimeoutMs);
}

std::wstring Q(const std::wstring& path)
{
    return brwtest::Quoted(path);
}

std::vector<DWORD> ModifiedSince(DBHANDLE db, const TIMEDATE& since)
{
    DHANDLE table = 0;
    std::vector<DWORD> ids;
    EXPECT_EQ(NOERROR_STATUS, NSFDbGetModifiedNoteTable(db, NOTE_CLASS_DOCUMENT, since, nullptr, &table));
    DWORD id = 0;
    for (BOOL first = TRUE; IDScan(table, first, &id); first = FALSE) {
        ids.push_back(id);
    }
    IDDestroyTable(table);
    return ids;
}

struct PromptScript {
    std::vector<std::wstring> passwords; // typed in turn; past the end: Cancel
    size_t shown = 0;
    std::wstring className;
    std::wstring identity;
};

PromptScript* g_script = nullptr;
HHOOK g_hook = nullptr;

// Answers the prompt the way a user would: type into item 101, press OK.
LRESULT CALLBACK AnswerPrompt(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && g_script != nullptr) {
        HWND dialog = reinterpret_cast<HWND>(wParam);
        wchar_t name[64] = {};
        GetClassNameW(dialog, name, 64);
        if (GetDlgItem(dialog, password::kPasswordItem) != nullptr) {
            g_script->className = name;
            wchar_t identity[260] = {};
            GetDlgItemTextW(dialog, password::kIdentityItem, identity, 260);
            g_script->identity = identity;
            const size_t turn = g_script->shown++;
            if (turn < g_script->passwords.size()) {
                SetDlgItemTextW(dialog, password::kPasswordItem, g_script->passwords[turn].c_str());
                PostMessageW(dialog, WM_COMMAND, IDOK, 0);
            } else {
                PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
            }
        }
    }
    return CallNextHookEx(g_hook, code, wParam, lParam);
}

class PromptTest : public NotesTest {
protected:
    STATUS OpenWithPrompt(PromptScript& script)
    {
        const std::string id =
            "Name=CN=Jane Doe/O=Acme\r\nPasswordHash=" + password::PasswordHash("CN=Jane Doe/O=Acme", "s3cret") +
            "\r\n";
        EXPECT_TRUE(nsf::WriteFileAtomically(Path(L"user.id"), std::vector<BYTE>(id.begin(), id.end())));
        WriteDb(L"db.nsf", SampleDb());
        StartNotes("KeyFilename=user.id\r\n");
        g_script = &script;
        g_hook = SetWindowsHookExW(WH_CBT, AnswerPrompt, nullptr, GetCurrentThreadId());
        EXPECT_NE(nullptr, g_hook);
        DBHANDLE db = 0;
        const STATUS status = NSFDbOpen("db.nsf", &db);
        UnhookWindowsHookEx(g_hook);
        g_script = nullptr;
        if (db != 0) {
            NSFDbClose(db);
        }
        return status;
    }
};

} // namespace

TEST_F(NotesTest, ToolBuildsADataDirectoryAndEditsDocuments)
{
    ASSERT_EQ(0u, RunTool(L"create " + Q(dataDir_) + L" --user \"CN=Jane Doe/O=Acme\" --mailfile mail\\jdoe").exitCode);
    CreateDirectoryW(Path(L"mail").c_str(), nullptr);
    ASSERT_EQ(0u, RunTool(L"generate mail " + Q(Path(L"mail\\jdoe.nsf")) + L" --count 30 --seed 5").exitCode);
    const std::wstring attachment = Path(L"notes.txt");
    ASSERT_TRUE(nsf::WriteFileAtomically(attachment, {'h', 'i'}));
    const brwtest::ProcessResult added =
        RunTool(L"add " + Q(Path(L"mail\\jdoe.nsf")) + L" --form Memo --text Subject=Added --attach " + Q(attachment));
    ASSERT_EQ(0u, added.exitCode) << added.output;
    const DWORD id = strtoul(added.output.c_str(), nullptr, 16);

    std::string argument = "=" + NarrowPath(L"notes.ini");
    char program[] = "test";
    char* argv[] = {program, argument.data()};
    ASSERT_EQ(NOERROR_STATUS, NotesInitExtended(2, argv));
    started_ = true;
    DBHANDLE db = OpenDb(L"mail\\jdoe.nsf");
    NOTEID inbox = 0;
    EXPECT_EQ(NOERROR_STATUS, NIFFindDesignNoteExt(db, "($Inbox)", NOTE_CLASS_VIEW, "-G40n^", &inbox, 0));
    TIMEDATE minimum{};
    EXPECT_EQ(31u, ModifiedSince(db, minimum).size());
    NOTEHANDLE note = 0;
    ASSERT_EQ(NOERROR_STATUS, NSFNoteOpen(db, id, 0, &note));
    char subject[32];
    NSFItemGetText(note, "Subject", subject, sizeof(subject));
    EXPECT_STREQ("Added", subject);
    BLOCKID item{};
    WORD type = 0;
    EXPECT_EQ(NOERROR_STATUS, NSFItemInfo(note, "$FILE", 5, &item, &type, nullptr, nullptr));
    NSFNoteClose(note);
    TIMEDATE until{};
    DHANDLE table = 0;
    NSFDbGetModifiedNoteTable(db, NOTE_CLASS_DOCUMENT, minimum, &until, &table);
    IDDestroyTable(table);
    NSFDbClose(db);

    wchar_t hex[16];
    swprintf(hex, 16, L"%X", static_cast<unsigned>(id));
    ASSERT_EQ(0u, RunTool(L"delete " + Q(Path(L"mail\\jdoe.nsf")) + L" " + hex).exitCode);
    db = OpenDb(L"mail\\jdoe.nsf");
    EXPECT_EQ((std::vector<DWORD>{id | RRV_DELETED}), ModifiedSince(db, until)) << "the delete left a stub";
    EXPECT_EQ(ERR_NOTE_DELETED, NSFNoteOpen(db, id, 0, &note));
    NSFDbClose(db);
    EXPECT_NE(0u, RunTool(L"delete " + Q(Path(L"mail\\jdoe.nsf")) + L" 7777").exitCode);
    EXPECT_NE(0u, RunTool(L"import " + Q(Path(L"absent.dxl")) + L" " + Q(Path(L"x.nsf"))).exitCode);
}

TEST_F(NotesTest, ExportRtfWritesTextStylesTablesAndAttachments)
{
    std::vector<BYTE> records;
    cd::AppendParagraph(records);
    cd::AppendText(records, "Plain {braces} ");
    cd::AppendText(records, "bold", ISBOLD);
    cd::AppendText(records, "\x14\x01\x0A", ISITALIC);
    cd::AppendTableBegin(records);
    cd::AppendTableCell(records, 0, 0);
    cd::AppendParagraph(records);
    cd::AppendText(records, "a");
    cd::AppendTableCell(records, 0, 1);
    cd::AppendParagraph(records);
    cd::AppendText(records, "b");
    cd::AppendTableEnd(records);
    cd::AppendAttachmentHotspot(records, "x.pdf", "Report.pdf");
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"in.cd"), records));
    HMODULE module = LoadLibraryW(L"nxrtf.dll");
    ASSERT_NE(nullptr, module);
    using ExportRtf = STATUS(WINAPI*)(char*, WORD, DWORD*, char*, char*);
    auto exportRtf = reinterpret_cast<ExportRtf>(reinterpret_cast<void*>(GetProcAddress(module, "ExportRTF")));
    ASSERT_NE(nullptr, exportRtf);
    std::string source = NarrowPath(L"in.cd");
    std::string target = NarrowPath(L"out.rtf");
    ASSERT_EQ(NOERROR_STATUS, exportRtf(source.data(), 0, nullptr, nullptr, target.data()));
    std::vector<BYTE> bytes;
    ASSERT_TRUE(nsf::ReadWholeFile(Path(L"out.rtf"), bytes));
    const std::string rtf(bytes.begin(), bytes.end());
    EXPECT_EQ(0u, rtf.find("{\\rtf1"));
    EXPECT_NE(std::string::npos, rtf.find("Plain \\{braces\\} "));
    EXPECT_NE(std::string::npos, rtf.find("{\\b bold}"));
    EXPECT_NE(std::string::npos, rtf.find("{\\i \\u266?}"));
    EXPECT_NE(std::string::npos, rtf.find("a}\\tab {"));
    EXPECT_NE(std::string::npos, rtf.find("[Report.pdf]"));
    EXPECT_EQ('}', rtf[rtf.find_last_not_of("\r\n")]);

    std::string missing = NarrowPath(L"missing.cd");
    EXPECT_NE(NOERROR_STATUS, exportRtf(missing.data(), 0, nullptr, nullptr, target.data()));
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"bad.cd"), {0x85, 0xFF, 0x40, 0x00, 1}));
    std::string bad = NarrowPath(L"bad.cd");
    EXPECT_EQ(NOERROR_STATUS, exportRtf(bad.data(), 0, nullptr, nullptr, target.data()))
        << "damaged records end the text; the file is still valid RTF";
    FreeLibrary(module);
}

TEST_F(NotesTest, ClientLogsTheDatabaseAndNoteItWasAskedToOpen)
{
    CreateDirectoryW(Path(L"mail").c_str(), nullptr);
    WriteDb(L"mail\\jdoe.nsf", SampleDb());
    // notes.exe reads the notes.ini beside nnotes.dll, as the client does.
    const std::wstring ini = brwtest::ThisProgramFolder() + L"\\notes.ini";
    const std::string text = "[Notes]\r\nDirectory=" + lmbcs::FromWide(dataDir_) + "\r\n";
    ASSERT_TRUE(nsf::WriteFileAtomically(ini, std::vector<BYTE>(text.begin(), text.end())));
    brwtest::ProcessSpec launch;
    wchar_t url[128];
    swprintf(url, 128, L"notes:///mail/jdoe.nsf/0/%08X", static_cast<unsigned>(SampleDb().notes[0].id));
    launch.commandLine = Q(brwtest::ThisProgramFolder() + L"\\notes.exe") + L" " + url;
    {
        brwtest::RunningProcess client(launch);
        ASSERT_TRUE(client.Started());
        // The client prints what its window shows; the window itself stays
        // until the process is ended with the holder.
        EXPECT_TRUE(client.WaitForOutput("subject=Quarterly report\r\n", kTimeoutMs));
    }
    DeleteFileW(ini.c_str());
    std::vector<BYTE> log;
    ASSERT_TRUE(nsf::ReadWholeFile(Path(L"notes-client.log"), log));
    char expected[96];
    snprintf(expected, sizeof(expected), "open database=mail\\jdoe.nsf note=%08X\r\n",
             static_cast<unsigned>(SampleDb().notes[0].id));
    EXPECT_EQ(std::string(expected), std::string(log.begin(), log.end()));
}

TEST_F(PromptTest, TheRightPasswordOpensAfterAWrongOne)
{
    PromptScript script;
    script.passwords = {L"wrong", L"s3cret"};
    EXPECT_EQ(NOERROR_STATUS, OpenWithPrompt(script));
    EXPECT_EQ(2u, script.shown) << "a wrong password shows the dialog again";
    EXPECT_EQ(L"#32770", script.className);
    EXPECT_NE(std::wstring::npos, script.identity.find(L"CN=Jane Doe/O=Acme"));
    DBHANDLE again = 0;
    EXPECT_EQ(NOERROR_STATUS, NSFDbOpen("db.nsf", &again)) << "only the first open of a process asks";
    NSFDbClose(again);
}

TEST_F(PromptTest, CancelFailsTheOpen)
{
    PromptScript script;
    EXPECT_EQ(ERR_PASSWORD_CANCELLED, OpenWithPrompt(script));
    EXPECT_EQ(1u, script.shown);
}
