// get_database_list: the data directory's databases with their summary
// items, and with selected="true" the databases chosen for indexing.
#include "notesdata/tests/NotesDataFixture.h"

namespace {

using brwtest::CommandResult;
using brwtest::CountOf;

class DatabaseList : public brwtest::NotesDataSettingsTest {
protected:
    void SetUp() override
    {
        NotesDataSettingsTest::SetUp();
        NewDatabase(L"Mail\\Jdoe.nsf", L"--title \"Jane's mail\"");
        NewDatabase(L"projects.nsf", L"--title Projects");
    }
    CommandResult Selected() { return Run(L"<get_database_list selected=\"true\"/>"); }
};

TEST_F(DatabaseList, EveryDatabaseOfTheDirectoryWithItsSummaryInLowerCase)
{
    const CommandResult listed = Run(L"<get_database_list/>");
    ASSERT_EQ(0, listed.result);
    EXPECT_EQ(0u, listed.reply.find(L"<databases><database>"));
    EXPECT_EQ(2u, CountOf(listed.reply, L"<database>"));
    EXPECT_NE(std::wstring::npos, listed.reply.find(L"<path>mail\\jdoe.nsf</path>"));
    EXPECT_NE(std::wstring::npos, listed.reply.find(L"<path>projects.nsf</path>"));
    EXPECT_NE(std::wstring::npos, listed.reply.find(L"<info>jane's mail")) << "$Info without its $, lower case";
    EXPECT_EQ(std::wstring::npos, listed.reply.find(L"modified")) << "a time is not a text summary item";
    EXPECT_EQ(listed.reply.size() - 12, listed.reply.rfind(L"</databases>"));
}

TEST_F(DatabaseList, SelectedWithoutSettingsIsTheWholeDirectory)
{
    EXPECT_EQ(Run(L"<get_database_list/>").reply, Selected().reply);
    EXPECT_EQ(Run(L"<get_database_list/>").reply, Run(L"<get_database_list selected=\"yes\"/>").reply);
}

TEST_F(DatabaseList, ManualSelectionListsOnlyTheChosenDatabasesEachOnce)
{
    SetFlag(L"ManualSelection");
    Select(DataPath(L"Mail\\Jdoe.nsf"));
    Select(L"mail\\jdoe.nsf");       // the same database, relative
    Select(L"D:\\Archive\\Old.nsf"); // outside the data directory
    const CommandResult listed = Selected();
    ASSERT_EQ(0, listed.result);
    EXPECT_EQ(2u, CountOf(listed.reply, L"<database>")) << brw::WideToUtf8(listed.reply);
    EXPECT_EQ(1u, CountOf(listed.reply, L"<path>mail\\jdoe.nsf</path><info>"))
        << "a chosen database of the directory keeps its summary items";
    EXPECT_NE(std::wstring::npos, listed.reply.find(L"<database><path>d:\\archive\\old.nsf</path></database>"));
    EXPECT_EQ(std::wstring::npos, listed.reply.find(L"projects.nsf"));
}

TEST_F(DatabaseList, ScannedAddsTheChosenDatabasesToTheDirectory)
{
    SetFlag(L"Scanned");
    Select(L"projects.nsf");
    Select(L"D:\\Archive\\Old.nsf");
    const CommandResult listed = Selected();
    EXPECT_EQ(3u, CountOf(listed.reply, L"<database>")) << brw::WideToUtf8(listed.reply);
    EXPECT_EQ(1u, CountOf(listed.reply, L"projects.nsf"));
    EXPECT_EQ(1u, CountOf(listed.reply, L"d:\\archive\\old.nsf"));
    EXPECT_EQ(2u, CountOf(Run(L"<get_database_list/>").reply, L"<database>")) << "unselected ignores the list";
}

TEST_F(DatabaseList, ADataDirectoryThatDoesNotOpenFails)
{
    brwtest::RemoveTree(DataDir());
    const CommandResult listed = Run(L"<get_database_list selected=\"true\"/>");
    EXPECT_EQ(1, listed.result);
    EXPECT_EQ(L"", listed.reply);
}

TEST_F(DatabaseList, MarkupInATitleIsWrittenAsEntities)
{
    NewDatabase(L"odd.nsf", L"--title \"</path><path>C:\\evil&co\"");
    const CommandResult listed = Run(L"<get_database_list/>");
    EXPECT_NE(std::wstring::npos, listed.reply.find(L"&lt;/path&gt;&lt;path&gt;c:\\evil&amp;co"));
    EXPECT_EQ(3u, CountOf(listed.reply, L"<path>"));
}

} // namespace
