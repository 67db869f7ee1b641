// Which request paths would make Notes reach another machine.
#include "notesdata/commands/CmdDatabaseOperation.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <string>

namespace {

UINT g_driveType = DRIVE_FIXED;
std::wstring g_askedRoot;

UINT FakeDriveType(const wchar_t* root)
{
    g_askedRoot = root;
    return g_driveType;
}

bool Remote(const std::wstring& path)
{
    return brw::NamesAnotherMachine(path, &FakeDriveType);
}

TEST(DatabasePath, LocalPathsAreNotRemote)
{
    g_driveType = DRIVE_FIXED;
    for (const wchar_t* path : {L"mail\\jdoe.nsf", L"a.nsf", L"\\notes\\data\\a.nsf", L"Mail Archive\\a.nsf",
                                L"C:\\Notes\\Data\\a.nsf", L"d:relative.nsf", L""}) {
        EXPECT_FALSE(Remote(path)) << path;
    }
}

TEST(DatabasePath, UncDeviceAndServerFormsAreRemote)
{
    g_driveType = DRIVE_FIXED;
    for (const wchar_t* path : {L"\\\\srv\\share\\x.nsf", L"//srv/share/x.nsf", L"\\/srv\\x.nsf", L"/\\srv\\x.nsf",
                                L"\\\\?\\UNC\\srv\\x.nsf", L"\\\\.\\C:\\x.nsf", L"srv!!mail\\x.nsf",
                                L"CN=srv/O=Org!!mail\\x.nsf", L"srv:mail\\x.nsf", L"C:\\a.nsf:stream", L"1:\\a.nsf"}) {
        EXPECT_TRUE(Remote(path)) << path;
    }
}

TEST(DatabasePath, OnlyLocalDiskDrivesAreLocal)
{
    const struct {
        UINT type;
        bool remote;
    } cases[] = {{DRIVE_FIXED, false}, {DRIVE_REMOVABLE, false}, {DRIVE_CDROM, false},     {DRIVE_RAMDISK, false},
                 {DRIVE_REMOTE, true}, {DRIVE_UNKNOWN, true},    {DRIVE_NO_ROOT_DIR, true}};
    for (const auto& c : cases) {
        g_driveType = c.type;
        g_askedRoot.clear();
        EXPECT_EQ(Remote(L"X:\\mail\\x.nsf"), c.remote) << c.type;
        EXPECT_EQ(L"X:\\", g_askedRoot) << c.type;
    }
}

} // namespace
