#include "launcher/LaunchCommand.h"

#include "common/WideString.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using brw::LaunchAction;
using Arguments = std::vector<std::wstring>;

struct SwitchCase {
    Arguments arguments;
    LaunchAction action;
};

TEST(LaunchCommand, RegistrationSwitchesCountOnlyAsWholeArguments)
{
    const SwitchCase cases[] = {
        {{L"/RegServer"}, LaunchAction::RegisterMachine},
        {{L"-regserver"}, LaunchAction::RegisterMachine},
        {{L"/UNREGSERVER"}, LaunchAction::UnregisterMachine},
        {{L"-RegServerPerUser"}, LaunchAction::RegisterUser},
        {{L"/UnregServerPerUser"}, LaunchAction::UnregisterUser},
        {{L"brw://{S-1}/a.nsf/1", L"/RegServer"}, LaunchAction::RegisterMachine},
        {{L"brw://{S-1}/a.nsf/1/UnregServer"}, LaunchAction::Open},
        {{L"brw://{S-1}/-UnregServer.nsf/1"}, LaunchAction::Open},
        {{L"\"brw://{S-1}/a.nsf/1 /RegServer\""}, LaunchAction::Open},
        {{L"RegServer"}, LaunchAction::Open},
        {{L"/RegServerX"}, LaunchAction::Open},
        {{L"/RegServe"}, LaunchAction::Open},
        {{L"--RegServer"}, LaunchAction::Open},
        {{L"/"}, LaunchAction::Open},
        {{}, LaunchAction::Open},
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.arguments.empty() ? "(none)" : brw::WideToUtf8(c.arguments[0])));
        EXPECT_EQ(c.action, brw::ReadLaunchCommand(c.arguments).action);
    }
}

TEST(LaunchCommand, TheLastUrlAndTheLastVerbSwitchWin)
{
    const brw::LaunchCommand command =
        brw::ReadLaunchCommand({L"-e", L"brw://{S-1}/a.nsf/1", L"other", L"BRW://{S-1}/b.nsf/2", L"-p"});
    EXPECT_EQ(LaunchAction::Open, command.action);
    EXPECT_EQ(L"p", command.verb);
    EXPECT_EQ(L"BRW://{S-1}/b.nsf/2", command.url);

    EXPECT_EQ(L"n", brw::ReadLaunchCommand({L"-N"}).verb);
    EXPECT_EQ(L"f", brw::ReadLaunchCommand({L"-fast"}).verb);
    EXPECT_EQ(L"o", brw::ReadLaunchCommand({L"-x", L"/p", L"p"}).verb);
}

TEST(LaunchCommand, WithoutAUrlArgumentTheUrlIsEmpty)
{
    const brw::LaunchCommand command = brw::ReadLaunchCommand({L"http://example.com/", L"brw:/one-slash"});
    EXPECT_EQ(L"o", command.verb);
    EXPECT_EQ(L"", command.url);
}

TEST(LaunchCommand, AQuotedUrlKeepsItsQuoteSoItFailsToParseLater)
{
    EXPECT_EQ(L"\"brw://{S-1}/a.nsf/1", brw::ReadLaunchCommand({L"\"brw://{S-1}/a.nsf/1"}).url);
}

TEST(LaunchCommand, ABrowsersPercentEncodedUrlIsDecodedOnce)
{
    EXPECT_EQ(L"brw://{S-1-5-21}/mail/jdoe.nsf/00001A2B",
              brw::ReadLaunchCommand({L"brw://%7BS-1-5-21%7d/mail/jdoe.nsf/00001A2B"}).url);
    // Once: an escaped escape stays an escape.
    EXPECT_EQ(L"brw://{S-1}/a%7B.nsf/1", brw::ReadLaunchCommand({L"brw://%7BS-1%7D/a%257B.nsf/1"}).url);
}

TEST(PercentDecoding, EscapesAreUtf8AndBrokenOnesStayAsWritten)
{
    EXPECT_EQ(L"a b", brw::DecodePercentOnce(L"a%20b"));
    EXPECT_EQ(L"caf\x00E9.nsf", brw::DecodePercentOnce(L"caf%C3%A9.nsf"));
    EXPECT_EQ(L"\x00E9\x00E9", brw::DecodePercentOnce(L"%C3%A9%c3%a9"));
    EXPECT_EQ(L"100%", brw::DecodePercentOnce(L"100%"));
    EXPECT_EQ(L"a%2", brw::DecodePercentOnce(L"a%2"));
    EXPECT_EQ(L"%G1%1G", brw::DecodePercentOnce(L"%G1%1G"));
    EXPECT_EQ(L"a%00b", brw::DecodePercentOnce(L"a%00b"));
    EXPECT_EQ(L"\xFFFD", brw::DecodePercentOnce(L"%C3"));
    EXPECT_EQ(L"\x00E9\x00E9", brw::DecodePercentOnce(L"\x00E9%C3%A9"));
    EXPECT_EQ(L"", brw::DecodePercentOnce(L""));
}

} // namespace
