#include "platform/notes/tests/NotesFixture.h"

#include "platform/notes/CdRecords.h"
#include "platform/notes/Lmbcs.h"
#include "platform/notes/TimeDate.h"
#include "platform/notes/Values.h"

#include <shellapi.h>

namespace {

std::wstring UniqueFolder()
{
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"brwnotes-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(++counter);
}

void RemoveTree(const std::wstring& folder)
{
    std::wstring from = folder;
    from.push_back(L'\0'); // the list ends with a second NUL
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NO_UI;
    SHFileOperationW(&op);
}

} // namespace

void NotesTest::SetUp()
{
    dataDir_ = UniqueFolder();
    ASSERT_TRUE(CreateDirectoryW(dataDir_.c_str(), nullptr));
}

void NotesTest::TearDown()
{
    if (started_) {
        NotesTerm();
    }
    RemoveTree(dataDir_);
}

void NotesTest::StartNotes(const std::string& extraIni)
{
    const std::string ini = "[Notes]\r\nDirectory=" + lmbcs::FromWide(dataDir_) + "\r\n" + extraIni;
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(L"notes.ini"), std::vector<BYTE>(ini.begin(), ini.end())));
    std::string argument = "=" + NarrowPath(L"notes.ini");
    char program[] = "test";
    char* argv[] = {program, argument.data()};
    ASSERT_EQ(NOERROR_STATUS, NotesInitExtended(2, argv));
    started_ = true;
}

std::string NotesTest::NarrowPath(const std::wstring& relative) const
{
    return lmbcs::FromWide(Path(relative));
}

void NotesTest::WriteDb(const std::wstring& relative, const nsf::DbData& data)
{
    ASSERT_TRUE(nsf::WriteFileAtomically(Path(relative), nsf::Serialize(data)));
}

DBHANDLE NotesTest::OpenDb(const std::wstring& relative)
{
    DBHANDLE h = 0;
    EXPECT_EQ(NOERROR_STATUS, NSFDbOpen(lmbcs::FromWide(relative).c_str(), &h));
    return h;
}

nsf::NoteData& NotesTest::AddDocument(nsf::DbData& data, const std::string& subject)
{
    nsf::NoteData& note = data.AddNote();
    note.modified = note.added = timedate::FromUtcParts(2024, 3, 1, 12, 0, 0, 0, 0, false);
    note.oid.SequenceTime = note.modified;
    note.oid.Sequence = 1;
    note.items.push_back(nsf::ItemData{"Form", ITEM_SUMMARY, values::Text("Memo"), {}});
    note.items.push_back(nsf::ItemData{"Subject", ITEM_SUMMARY, values::Text(subject), {}});
    return note;
}

nsf::DbData NotesTest::SampleDb()
{
    nsf::DbData data;
    data.info.title = "Sample Mail";
    data.info.replicaId = TIMEDATE{{0x004B6231, 0xC12585B4}};
    data.info.created = data.info.dataModified = timedate::FromUtcParts(2024, 1, 2, 3, 4, 5, 0, 0, false);
    nsf::NoteData& memo = AddDocument(data, "Quarterly report");
    memo.items.push_back(
        nsf::ItemData{"SendTo", ITEM_SUMMARY, values::TextList({"CN=A B/O=Acme", "CN=C D/O=Acme"}), {}});
    memo.items.push_back(nsf::ItemData{"PostedDate", ITEM_SUMMARY, values::Time(memo.modified), {}});
    std::vector<BYTE> body;
    cd::AppendPabDefinition(body, 1);
    cd::AppendParagraph(body);
    cd::AppendText(body, "Hello world");
    cd::AppendParagraph(body);
    cd::AppendText(body, "Bold part", ISBOLD);
    cd::AppendAttachmentHotspot(body, "report.pdf", "Report Final.pdf");
    memo.items.push_back(nsf::ItemData{"Body", 0, values::RichText(body), {}});
    const std::vector<BYTE> file = {'%', 'P', 'D', 'F', 0, 1, 2, 3};
    memo.items.push_back(nsf::ItemData{
        "$FILE", ITEM_SUMMARY,
        values::FileObject("report.pdf", static_cast<DWORD>(file.size()), memo.modified, memo.modified), file});
    return data;
}
