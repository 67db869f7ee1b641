// Where reply files go and how the manager deletes them, with the request's
// tempdir as untrusted input.
#include "notesdata/files/TemporaryFiles.h"

#include "common/Handles.h"
#include "common/WideString.h"
#include "tests/support/ScratchFolder.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

constexpr wchar_t kReplica[] = L"85257A1B00512345";

class TempRoot : public brwtest::ScratchFolder {
public:
    TempRoot() : ScratchFolder(L"brwtemp") {}
};

bool WriteFileAt(const std::wstring& path, const char* text)
{
    brw::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && WriteFile(file.get(), text, static_cast<DWORD>(strlen(text)), &written, nullptr);
}

// Windows keeps all three finished attributes; Wine stores only read-only
// (and archive) on its Unix file system, so only that can be checked here.
bool LooksFinished(const std::wstring& path)
{
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring Upper(std::wstring text)
{
    CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

TEST(TempFilePaths, TrailingBackslashOrNotGivesTheSameFolder)
{
    TempRoot root;
    auto plain = brw::MakeTempFilePath(root.Path(), brw::TempFileKind::TextBody, kReplica, 0x8F6, 0x1C, L"");
    auto slashed = brw::MakeTempFilePath(root.Path() + L"\\", brw::TempFileKind::TextBody, kReplica, 0x8F6, 0x1C, L"");
    ASSERT_TRUE(plain && slashed);
    EXPECT_EQ(*plain, *slashed);
    std::wstring folder = brw::FormatText(L"\\Quexlink\\%X-%X\\", GetCurrentProcessId(), GetCurrentThreadId());
    EXPECT_EQ(*plain, root.Path() + folder + L"85257A1B00512345-8F6_1C.txt");
}

TEST(TempFilePaths, EachKindHasItsName)
{
    TempRoot root;
    auto name = [&](brw::TempFileKind kind, DWORD index, const wchar_t* extension) {
        std::wstring path = *brw::MakeTempFilePath(root.Path(), kind, kReplica, 0x1A2, index, extension);
        return path.substr(path.rfind(L'\\') + 1);
    };
    EXPECT_EQ(L"85257A1B00512345-1A2-B.PDF", name(brw::TempFileKind::Attachment, 0xB, L"PDF"));
    EXPECT_EQ(L"85257A1B00512345-1A2-0.", name(brw::TempFileKind::Attachment, 0, L""));
    EXPECT_EQ(L"85257A1B00512345-1A2_B.rtf", name(brw::TempFileKind::RtfBody, 0xB, L""));
    EXPECT_EQ(L"85257A1B00512345-1A2_B.cd", name(brw::TempFileKind::RichTextRecords, 0xB, L""));
    EXPECT_EQ(L"85257A1B00512345-1A2_B.txt", name(brw::TempFileKind::TextBody, 0xB, L"txt"))
        << "a body is never named like the attachment of the same number";
}

TEST(TempFilePaths, EveryBodySerialIsNew)
{
    const DWORD first = brw::NextBodySerial();
    EXPECT_EQ(brw::NextBodySerial(), first + 1);
    EXPECT_EQ(brw::NextBodySerial(), first + 2);
}

TEST(TempFilePaths, ExtensionIsTheTextAfterTheLastDotIfItIsSafe)
{
    EXPECT_EQ(L"PDF", brw::AttachmentExtension(L"report.final.PDF"));
    EXPECT_EQ(L"", brw::AttachmentExtension(L"README"));
    EXPECT_EQ(L"", brw::AttachmentExtension(L"trailing."));
    EXPECT_EQ(L"", brw::AttachmentExtension(L"a.b\\..\\..\\evil"));
    EXPECT_EQ(L"", brw::AttachmentExtension(L"x./etc"));
    EXPECT_EQ(L"", brw::AttachmentExtension(L"x.c:d"));
    EXPECT_EQ(L"", brw::AttachmentExtension(L"x.a*b"));
    EXPECT_EQ(L"", brw::AttachmentExtension(std::wstring(L"x.a\nb", 5)));
}

TEST(TempFilePaths, UnsafeTempDirsAreRefused)
{
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring refused[] = {
        L"",
        L"Temp",
        L"\\\\server\\share",
        L"C:relative",
        L"C:\\Temp\\..\\Windows",
        L"C:\\Temp\\.\\x",
        L"C:/Temp",
        L"C:\\Te?mp",
        std::wstring(windows),
        std::wstring(windows) + L"\\System32",
        L"C:\\" + std::wstring(300, L'a'),
    };
    for (const std::wstring& tempDir : refused) {
        EXPECT_FALSE(brw::IsAcceptableTempDir(tempDir)) << std::string(tempDir.begin(), tempDir.end());
        EXPECT_FALSE(brw::MakeTempFilePath(tempDir, brw::TempFileKind::TextBody, kReplica, 1, 0, L""));
    }
    EXPECT_TRUE(brw::IsAcceptableTempDir(L"C:\\Temp"));
    EXPECT_TRUE(brw::IsAcceptableTempDir(L"C:\\Temp\\"));
    EXPECT_TRUE(brw::IsAcceptableTempDir(L"C:\\Windows2\\x")) << "a sibling of the Windows folder is fine";
}

TEST(TempFilePaths, MissingTempDirFails)
{
    TempRoot root;
    EXPECT_FALSE(brw::MakeTempFilePath(root.Path() + L"\\no\\such", brw::TempFileKind::TextBody, kReplica, 1, 0, L""));
}

// A writer that counts its calls, writes a byte and answers as told.
struct CountingWriter {
    brw::AttachmentWrite answer = brw::AttachmentWrite::Complete;
    int calls = 0;

    brw::AttachmentWriter Writer()
    {
        return [this](const std::wstring& path) {
            ++calls;
            return WriteFileAt(path, "x") ? answer : brw::AttachmentWrite::Failed;
        };
    }
};

std::optional<std::wstring> ProvideFile(const std::wstring& tempDir, CountingWriter& writer)
{
    return brw::ProvideAttachmentFile(tempDir, kReplica, 0x8F6, 3, L"pdf", writer.Writer());
}

TEST(AttachmentFile, AWholeFileIsMarkedFinishedAndUsedAgain)
{
    TempRoot root;
    CountingWriter writer;
    const std::optional<std::wstring> first = ProvideFile(root.Path(), writer);
    ASSERT_TRUE(first);
    EXPECT_TRUE(LooksFinished(*first));
    EXPECT_EQ(*brw::MakeTempFilePath(root.Path(), brw::TempFileKind::Attachment, kReplica, 0x8F6, 3, L"pdf"), *first);

    writer.answer = brw::AttachmentWrite::Failed;
    const std::optional<std::wstring> again = ProvideFile(root.Path(), writer);
    ASSERT_TRUE(again);
    EXPECT_EQ(*first, *again);
    EXPECT_EQ(1, writer.calls) << "the earlier copy is not written again";
}

TEST(AttachmentFile, AnUnconfirmedFileIsHandedOutUnmarked)
{
    TempRoot root;
    CountingWriter writer{brw::AttachmentWrite::Unconfirmed};
    const std::optional<std::wstring> path = ProvideFile(root.Path(), writer);
    ASSERT_TRUE(path);
    EXPECT_TRUE(Exists(*path));
    EXPECT_FALSE(LooksFinished(*path));
}

TEST(AttachmentFile, AFailedWriteLeavesNoFileAndIsTriedAgain)
{
    TempRoot root;
    CountingWriter writer{brw::AttachmentWrite::Failed};
    EXPECT_FALSE(ProvideFile(root.Path(), writer));
    const std::wstring path =
        *brw::MakeTempFilePath(root.Path(), brw::TempFileKind::Attachment, kReplica, 0x8F6, 3, L"pdf");
    EXPECT_FALSE(Exists(path)) << "the half-written file is gone";

    writer.answer = brw::AttachmentWrite::Complete;
    EXPECT_TRUE(ProvideFile(root.Path(), writer));
    EXPECT_EQ(2, writer.calls);
}

TEST(AttachmentFile, NoWriteWithoutAPlaceForTheFile)
{
    TempRoot root;
    CountingWriter writer;
    const std::wstring path =
        *brw::MakeTempFilePath(root.Path(), brw::TempFileKind::Attachment, kReplica, 0x8F6, 3, L"pdf");
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr));
    EXPECT_FALSE(ProvideFile(root.Path(), writer)) << "a folder stands at the path";
    EXPECT_TRUE(Exists(path)) << "and stays";
    EXPECT_FALSE(ProvideFile(L"relative\\temp", writer)) << "a refused tempdir";
    EXPECT_EQ(0, writer.calls);
}

TEST(TemporaryFileManager, DeletesOnlyReadOnlyFilesAndForgetsThem)
{
    TempRoot root;
    std::wstring finished = root.Path() + L"\\finished.pdf";
    std::wstring writable = root.Path() + L"\\writable.pdf";
    ASSERT_TRUE(WriteFileAt(finished, "x"));
    ASSERT_TRUE(WriteFileAt(writable, "x"));
    ASSERT_TRUE(brw::MarkFileFinished(finished));
    EXPECT_TRUE(LooksFinished(finished));

    brw::BRWTemporaryFileMgr manager;
    ASSERT_TRUE(manager.Remember(finished));
    ASSERT_TRUE(manager.Remember(writable));
    manager.DeleteFiles();
    EXPECT_FALSE(Exists(finished));
    EXPECT_TRUE(Exists(writable)) << "a file without read-only is not ours to delete";
    EXPECT_EQ(1, manager.RememberedCount());
}

TEST(TemporaryFileManager, AFileHeldOpenStaysRememberedAndKeepsItsAttributes)
{
    TempRoot root;
    std::wstring path = root.Path() + L"\\held.doc";
    ASSERT_TRUE(WriteFileAt(path, "x"));
    ASSERT_TRUE(brw::MarkFileFinished(path));
    brw::BRWTemporaryFileMgr manager;
    manager.Remember(path);
    {
        brw::FileHandle reader(
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(reader);
        manager.DeleteFiles();
        EXPECT_TRUE(Exists(path));
        EXPECT_TRUE(LooksFinished(path)) << "a failed deletion puts read-only back";
        EXPECT_EQ(1, manager.RememberedCount());
    }
    manager.DeleteFiles();
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(0, manager.RememberedCount());
}

TEST(TemporaryFileManager, AFileDeletedBySomeoneElseIsNeverForgotten)
{
    TempRoot root;
    brw::BRWTemporaryFileMgr manager;
    manager.Remember(root.Path() + L"\\gone.txt");
    manager.DeleteFiles();
    manager.DeleteFiles();
    EXPECT_EQ(1, manager.RememberedCount());
}

TEST(TemporaryFileManager, APathIsRememberedOnceAndDeletedOnce)
{
    TempRoot root;
    const std::wstring path = root.Path() + L"\\report.pdf";
    ASSERT_TRUE(WriteFileAt(path, "x"));
    ASSERT_TRUE(brw::MarkFileFinished(path));
    brw::BRWTemporaryFileMgr manager;
    for (int i = 0; i < 600; ++i) {
        ASSERT_TRUE(manager.Remember(i % 2 == 0 ? path : Upper(path))) << i;
    }
    EXPECT_EQ(1, manager.RememberedCount());
    EXPECT_TRUE(manager.Remember(root.Path() + L"\\other.pdf")) << "the list is far from full";
    manager.DeleteFiles();
    EXPECT_FALSE(Exists(path));
    EXPECT_EQ(1, manager.RememberedCount()) << "only the other, missing file stays";
    ASSERT_TRUE(WriteFileAt(path, "y"));
    ASSERT_TRUE(brw::MarkFileFinished(path));
    EXPECT_TRUE(manager.Remember(path)) << "once deleted, the path may be remembered again";
    EXPECT_EQ(2, manager.RememberedCount());
    manager.DeleteFiles();
    EXPECT_FALSE(Exists(path));
}

TEST(TemporaryFileManager, The513thFileIsDropped)
{
    brw::BRWTemporaryFileMgr manager;
    for (int i = 0; i < 512; ++i) {
        ASSERT_TRUE(manager.Remember(brw::FormatText(L"C:\\nowhere\\%d", i)));
    }
    EXPECT_FALSE(manager.Remember(L"C:\\nowhere\\513"));
    EXPECT_EQ(512, manager.RememberedCount());
}

} // namespace
