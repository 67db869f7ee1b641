// The database part of brw URLs: every spelling of one database gives one
// text, in the 32-bit and in the 64-bit tree alike.
#include "common/BrwUrlText.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kData[] = L"C:\\Notes\\Data";

TEST(BrwUrlText, SpellingsOfOneDatabaseGiveOneText)
{
    const wchar_t* spellings[] = {
        L"C:\\Notes\\Data\\mail\\a.nsf", // the full path Notes reports
        L"c:/notes/data/MAIL/A.NSF",     // other case, other slashes
        L"mail\\a.nsf",                  // as the directory lists it
        L".\\mail\\a.nsf",               // as a user may register it
        L"./mail//a.nsf",
        L"mail\\old\\..\\a.nsf",
        L"C:\\Notes\\Data\\.\\mail\\a.nsf",
    };
    for (const wchar_t* spelling : spellings) {
        EXPECT_EQ(L"mail/a.nsf", brw::BrwUrlDatabasePart(spelling, kData)) << spelling;
    }
}

TEST(BrwUrlText, OutsideTheDataDirectoryThePathStaysFull)
{
    const struct {
        const wchar_t* path;
        const wchar_t* expected;
    } cases[] = {
        {L"D:\\Archive\\Old.nsf", L"d:/archive/old.nsf"},
        {L"..\\outside\\o.nsf", L"c:/notes/outside/o.nsf"},    // registered relative, leaving the folder
        {L"C:\\Notes\\Data2\\a.nsf", L"c:/notes/data2/a.nsf"}, // only starts like the data directory
        {L"\\\\server\\share\\x.nsf", L"//server/share/x.nsf"},
        {L"C:\\..\\..\\x.nsf", L"c:/x.nsf"}, // never above the root
    };
    for (const auto& c : cases) {
        EXPECT_EQ(brw::BrwUrlDatabasePart(c.path, kData), c.expected) << c.path;
    }
}

TEST(BrwUrlText, ItsOwnResultPassesUnchangedWithOrWithoutTheDataDirectory)
{
    for (const wchar_t* path : {L"C:\\Notes\\Data\\mail\\a.nsf", L"D:\\Archive\\Old.nsf", L"..\\outside\\o.nsf"}) {
        const std::wstring once = brw::BrwUrlDatabasePart(path, kData);
        EXPECT_EQ(brw::BrwUrlDatabasePart(once, kData), once) << path;
        EXPECT_EQ(brw::BrwUrlDatabasePart(once, L""), once) << "the handler knows no data directory: " << path;
    }
}

TEST(BrwUrlText, NormalizedPathsKeepTheirCaseAndBackslashes)
{
    EXPECT_EQ(L"Mail\\A.nsf", brw::NormalizeDatabasePath(L"C:/Notes/Data/Mail/A.nsf", L"c:\\notes\\data\\"));
    EXPECT_EQ(L"Mail\\A.nsf", brw::NormalizeDatabasePath(L".\\Mail\\A.nsf", L""));
    EXPECT_EQ(L"C:\\Notes\\Data\\", brw::NormalizeDatabasePath(L"C:\\Notes\\Data\\", kData))
        << "the folder itself is no database under it";
    EXPECT_EQ(L"", brw::NormalizeDatabasePath(L"", kData));
    EXPECT_EQ(L"C:\\x.nsf", brw::NormalizeDatabasePath(L"C:\\x.nsf", L""));
}

} // namespace
