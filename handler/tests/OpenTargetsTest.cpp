#include "handler/protocol/OpenTargets.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct PathCase {
    const wchar_t* path;
    bool safe;
};

TEST(NotesTarget, DatabasePathsThatCouldAddClientSwitchesAreRefused)
{
    const PathCase cases[] = {
        {L"mail/jdoe.nsf", true}, {L"names.nsf", true},         {L"my mail/a-b=c.nsf", true}, {L"", false},
        {L"=x.nsf", false},       {L"-x.nsf", false},           {L"  -x.nsf", false},         {L"   ", false},
        {L"a\".nsf", false},      {L"a\" -switch .nsf", false}, {L"a\n.nsf", false},          {L"a\t.nsf", false},
        {L"a\x7f.nsf", false},    {L"a\x85.nsf", false},
    };
    for (const PathCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "path " << std::wstring(c.path).size() << " units: " << c.path);
        EXPECT_EQ(c.safe, brw::IsSafeNotesDatabasePath(c.path));
    }
}

TEST(NotesTarget, NoteIdsAreOneToEightHexDigits)
{
    EXPECT_TRUE(brw::IsNoteIdText(L"1"));
    EXPECT_TRUE(brw::IsNoteIdText(L"00001A2B"));
    EXPECT_TRUE(brw::IsNoteIdText(L"abcdef09"));
    EXPECT_FALSE(brw::IsNoteIdText(L""));
    EXPECT_FALSE(brw::IsNoteIdText(L"000001A2B"));
    EXPECT_FALSE(brw::IsNoteIdText(L"12G4"));
    EXPECT_FALSE(brw::IsNoteIdText(L"12 4"));
    EXPECT_FALSE(brw::IsNoteIdText(L"0x12"));
    // Full-width digits are digits to some classifiers, never to Notes.
    EXPECT_FALSE(brw::IsNoteIdText(L"\xFF11"));
}

TEST(NotesTarget, TargetsAreBuiltOnlyFromCheckedParts)
{
    std::wstring target = L"untouched";
    EXPECT_TRUE(brw::MakeNotesDocumentTarget(L"mail/jdoe.nsf", L"00001A2B", &target));
    EXPECT_EQ(L"notes:///mail/jdoe.nsf/0/00001A2B", target);
    EXPECT_TRUE(brw::MakeNotesDatabaseTarget(L"mail/jdoe.nsf", &target));
    EXPECT_EQ(L"notes:///mail/jdoe.nsf", target);

    target = L"untouched";
    EXPECT_FALSE(brw::MakeNotesDocumentTarget(L"mail/jdoe.nsf", L"1A2B\" -x", &target));
    EXPECT_FALSE(brw::MakeNotesDocumentTarget(L"-mail/jdoe.nsf", L"1A2B", &target));
    EXPECT_FALSE(brw::MakeNotesDatabaseTarget(L"=jdoe.nsf", &target));
    EXPECT_EQ(L"untouched", target);
}

struct FolderCase {
    const wchar_t* path;
    bool under;
};

TEST(ReplyFilePath, OnlyFilesBelowTheRequestFolderQualify)
{
    const wchar_t folder[] = L"C:\\users\\me\\Temp";
    const FolderCase cases[] = {
        {L"C:\\users\\me\\Temp\\Quexlink\\12_34\\a.txt", true},
        {L"c:\\USERS\\me\\temp\\a.txt", true},
        {L"C:/users/me/Temp/a.txt", true},
        {L"C:\\users\\me\\Temp\\Quexlink\\..\\a.txt", true},
        {L"C:\\users\\me\\Temp", false},
        {L"C:\\users\\me\\Temp\\", false},
        {L"C:\\users\\me\\Temp\\sub\\", false},
        {L"C:\\users\\me\\Temp2\\a.txt", false},
        {L"C:\\users\\me\\Temp\\..\\a.txt", false},
        {L"C:\\users\\me\\Temp\\Quexlink\\..\\..\\a.txt", false},
        {L"D:\\users\\me\\Temp\\a.txt", false},
        {L"users\\me\\Temp\\a.txt", false},
        {L"\\users\\me\\Temp\\a.txt", false},
        {L"\\\\?\\C:\\users\\me\\Temp\\a.txt", false},
        {L"\\\\server\\share\\Temp\\a.txt", false},
        {L"C:\\users\\me\\Temp\\a.txt:stream", false},
        {L"C:\\users\\me\\Temp\\a\x01.txt", false},
        {L"", false},
    };
    for (const FolderCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "path " << c.path);
        EXPECT_EQ(c.under, brw::LiesUnderFolder(c.path, folder));
    }
}

TEST(ReplyFilePath, AFolderGivenWithItsSeparatorOrRelativeIsHandled)
{
    EXPECT_TRUE(brw::LiesUnderFolder(L"C:\\t\\a.txt", L"C:\\t\\"));
    EXPECT_FALSE(brw::LiesUnderFolder(L"C:\\t\\a.txt", L"t"));
    EXPECT_FALSE(brw::LiesUnderFolder(L"C:\\t\\a.txt", L""));
}

TEST(AttachmentType, ProgramsScriptsShortcutsAndInstallersAreDangerous)
{
    const wchar_t* const dangerous[] = {
        L"C:\\t\\setup.exe", L"C:\\t\\SETUP.EXE", L"C:\\t\\run.bat", L"C:\\t\\run.cmd", L"C:\\t\\a.vbs",
        L"C:\\t\\a.js",      L"C:\\t\\a.lnk",     L"C:\\t\\a.hta",   L"C:\\t\\a.msi",   L"C:\\t\\a.scr",
        L"C:\\t\\a.ps1",     L"C:\\t\\a.url",     L"C:\\t\\a.exe.",  L"C:\\t\\a.exe  ", L"C:\\t\\noextension",
        L"C:\\t.d\\noext",   L"C:\\t\\a.pdf.exe", L"C:\\t\\a.reg",   L"C:\\t\\a.com",   L"C:\\t\\a.wsf",
    };
    for (const wchar_t* path : dangerous) {
        SCOPED_TRACE(testing::Message() << "path " << path);
        EXPECT_TRUE(brw::IsDangerousFileType(path));
    }
    const wchar_t* const harmless[] = {L"C:\\t\\report.pdf", L"C:\\t\\memo.rtf", L"C:\\t\\a.txt", L"C:\\t\\photo.JPG",
                                       L"C:\\t.exe\\a.docx"};
    for (const wchar_t* path : harmless) {
        SCOPED_TRACE(testing::Message() << "path " << path);
        EXPECT_FALSE(brw::IsDangerousFileType(path));
    }
}

} // namespace
