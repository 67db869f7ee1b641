// get_modified_document_list against databases made by the database tool:
// which database a request names, and the ids it lists.
#include "notesdata/tests/NotesDataFixture.h"

namespace {

using brwtest::CommandResult;

constexpr wchar_t kReplica[] = L"85257A1B00512345";

class DocumentList : public brwtest::NotesDataTest {
protected:
    void SetUp() override
    {
        NotesDataTest::SetUp();
        NewDatabase(L"mail\\list.nsf", std::wstring(L"--replica ") + kReplica);
    }
};

TEST_F(DocumentList, AnEmptyDatabaseListsNothing)
{
    const CommandResult listed = Run(L"<get_modified_document_list db=\"mail\\list.nsf\"/>");
    EXPECT_EQ(0, listed.result);
    EXPECT_EQ(L"<documents></documents>", listed.reply);
}

TEST_F(DocumentList, IdsInTableOrderInUpperCaseHexWhateverTheSinceText)
{
    std::wstring expected = L"<documents>";
    for (int i = 0; i < 3; ++i) {
        const unsigned long id = AddNote(L"mail\\list.nsf", L"--form Memo --text Subject=n" + std::to_wstring(i));
        wchar_t element[32];
        swprintf(element, 32, L"<d>%lX</d>", id);
        expected += element;
    }
    expected += L"</documents>";
    const CommandResult plain = Run(L"<get_modified_document_list db=\"mail\\list.nsf\"/>");
    const CommandResult since =
        Run(L"<get_modified_document_list db=\"mail\\list.nsf\" since=\"1995-05-06 11:00:00\"/>");
    EXPECT_EQ(expected, plain.reply);
    EXPECT_EQ(expected, since.reply);
    EXPECT_EQ(0u, expected.find(L"<documents><d>")) << "ids are written without leading zeros";
}

TEST_F(DocumentList, DeletedDocumentsAndDesignNotesAreNotListed)
{
    const unsigned long kept = AddNote(L"mail\\list.nsf", L"--form Memo --text Subject=kept");
    const unsigned long gone = AddNote(L"mail\\list.nsf", L"--form Memo --text Subject=gone");
    AddNote(L"mail\\list.nsf", L"--design Memo --class 4");
    Notesdb(L"delete " + brwtest::Quoted(DataPath(L"mail\\list.nsf")) + L" " + brw::FormatText(L"%lX", gone));
    wchar_t expected[64];
    swprintf(expected, 64, L"<documents><d>%lX</d></documents>", kept);
    EXPECT_EQ(expected, Run(L"<get_modified_document_list db=\"mail\\list.nsf\"/>").reply);
}

TEST_F(DocumentList, TheDatabaseIsFoundByPathWithEitherSlashOrByReplicaId)
{
    EXPECT_EQ(0, Run(L"<get_modified_document_list db=\"mail/list.nsf\"/>").result);
    EXPECT_EQ(0, Run(L"<get_modified_document_list db=\"" + DataPath(L"mail\\list.nsf") + L"\"/>").result);
    EXPECT_EQ(0, Run(std::wstring(L"<get_modified_document_list replicaid=\"") + kReplica + L"\"/>").result);
    EXPECT_EQ(
        0, Run(std::wstring(L"<get_modified_document_list db=\"none.nsf\" replicaid=\"") + kReplica + L"\"/>").result)
        << "a path that does not open falls back to the replica id";
}

TEST_F(DocumentList, RequestsNamingNoDatabaseFail)
{
    const std::wstring requests[] = {
        L"<get_modified_document_list/>",
        L"<get_modified_document_list db=\"none.nsf\"/>",
        L"<get_modified_document_list replicaid=\"85257A1B0051234\"/>",  // 15 digits
        L"<get_modified_document_list replicaid=\"85257A1B0051234X\"/>", // not hex
        L"<get_modified_document_list replicaid=\"0000000000000001\"/>", // no such replica
        L"<get_modified_document_list db=\"" + std::wstring(40000, L'a') + L"\"/>",
    };
    for (const std::wstring& request : requests) {
        const CommandResult listed = Run(request);
        EXPECT_EQ(1, listed.result) << brw::WideToUtf8(request.substr(0, 80));
        EXPECT_EQ(L"", listed.reply);
    }
}

} // namespace
