#include "common/DebugConsole.h"

#include "common/FailureTrail.h"
#include "common/Handles.h"
#include "common/tests/RegistryTestTools.h"

#include <gtest/gtest.h>

namespace brw {
namespace {

using test::DwordValue;
using test::RawValue;

TEST(DebugConsoleSetting, OnOnlyForDwordOne)
{
    const ULONGLONG one = 1;
    const struct {
        const char* what;
        RawValue value;
        bool on;
    } cases[] = {
        {"value missing", RawValue{}, false},
        {"REG_SZ \"1\"", RawValue{REG_SZ, test::BytesOf(std::wstring(L"1", 2))}, false},
        {"DWORD 0", DwordValue(0), false},
        {"DWORD 2", DwordValue(2), false},
        {"DWORD 1", DwordValue(1), true},
        {"REG_BINARY 01000000", RawValue{REG_BINARY, DwordValue(1).bytes}, false},
        {"REG_QWORD 1", RawValue{REG_QWORD, test::BytesOf(&one, sizeof(one))}, false},
    };
    for (const auto& c : cases) {
        test::TestKey scratch;
        ASSERT_EQ(ERROR_SUCCESS, test::WriteRaw(HKEY_CURRENT_USER, scratch.Path(), kDebugConsoleValueName, c.value));
        EXPECT_EQ(c.on, ReadDebugConsoleSetting(HKEY_CURRENT_USER, scratch.Path().c_str())) << c.what;
    }
    test::TestKey absent;
    EXPECT_FALSE(ReadDebugConsoleSetting(HKEY_CURRENT_USER, absent.Path().c_str())) << "key missing";
}

// Errors are HRESULTs with the high bit set: the trail must show all eight
// digits (0x80070005, not a sign-extended or shortened number), and a step
// without a name still gives a whole line.
TEST(FailureTrailLines, ShowStepAndWholeResult)
{
    EXPECT_EQ(L"BRWHandler: open pipe failed 0x80070005\n",
              FormatFailureLine(L"BRWHandler", L"open pipe", HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)));
    EXPECT_EQ(L"BRWHandler: filter init failed 0x00000001\n",
              FormatFailureLine(L"BRWHandler", L"filter init", S_FALSE));
    EXPECT_EQ(L":  failed 0x80004005\n", FormatFailureLine(nullptr, nullptr, E_FAIL));
}

TEST(DebugConsoleLines, FormatEachFormExactly)
{
    EXPECT_EQ(L"Count -12\n", FormatLongLine(L"Count", -12));
    EXPECT_EQ(L"Database mail\\jdoe.nsf\n", FormatTextLine(L"Database", L"mail\\jdoe.nsf"));
    EXPECT_EQ(L"Note title\n", FormatNarrowLine(L"Note", "title"));
    EXPECT_EQ(L"Status 1A2B\n", FormatHexLine(L"Status", 0x1A2B));
    EXPECT_EQ(L"Result 0x80004005\n", FormatHex0xLine(L"Result", 0x80004005u));
    EXPECT_EQ(L"Text (null)\n", FormatTextLine(L"Text", nullptr));
}

// WriteConsoleW accepts only console handles, so whatever stands in for the
// console here must receive nothing, and the log must neither crash nor
// fall back to another way of writing. (A real console under Wine needs a
// display; the console host's end-to-end tests cover that path.)
TEST(DebugConsoleWrite, NonConsoleOutputsGetNothing)
{
    EXPECT_FALSE(WriteConsoleText(nullptr, L"x\n"));
    EXPECT_FALSE(WriteConsoleText(INVALID_HANDLE_VALUE, L"x\n"));

    KernelHandle readEnd;
    KernelHandle writeEnd;
    ASSERT_TRUE(CreatePipe(readEnd.put(), writeEnd.put(), nullptr, 0));
    const HANDLE savedStdout = GetStdHandle(STD_OUTPUT_HANDLE);
    SetStdHandle(STD_OUTPUT_HANDLE, writeEnd.get());
    EXPECT_FALSE(WriteConsoleText(writeEnd.get(), L"line\n"));
    LogString(L"line\n");
    LogLong(L"label", 1);
    LogText(L"label", L"value");
    LogNarrow(L"label", "value");
    LogHex(L"label", 1);
    LogHex0x(L"label", 1);
    SetStdHandle(STD_OUTPUT_HANDLE, savedStdout);
    DWORD waiting = 0xdeadbeef;
    ASSERT_TRUE(PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &waiting, nullptr));
    EXPECT_EQ(0u, waiting);

    wchar_t directory[MAX_PATH];
    wchar_t path[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, directory));
    ASSERT_NE(0u, GetTempFileNameW(directory, L"brw", 0, path));
    FileHandle file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    ASSERT_TRUE(file);
    EXPECT_FALSE(WriteConsoleText(file.get(), L"line\n"));
    EXPECT_EQ(0u, GetFileSize(file.get(), nullptr));
}

} // namespace
} // namespace brw
