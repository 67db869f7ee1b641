// What BRW was started to do, read from its arguments as Windows split
// them: register, unregister, or open one brw: URL with a verb.
#pragma once
#include <string>
#include <vector>

namespace brw {

enum class LaunchAction {
    Open,
    RegisterMachine,
    UnregisterMachine,
    RegisterUser,
    UnregisterUser,
};

struct LaunchCommand {
    LaunchAction action = LaunchAction::Open;
    std::wstring verb = L"o";
    // Empty when no argument was a brw: URL; decoded once.
    std::wstring url;
};

// arguments: after the program's name. A registration switch counts only
// as a whole argument ("-RegServer", "/regserver"), so a URL that merely
// contains one opens rather than registers. The last URL and the last verb
// switch win.
LaunchCommand ReadLaunchCommand(const std::vector<std::wstring>& arguments);

// Browsers hand the URL on as they send it, "%7B" for "{" and so on: each
// "%XX" is decoded once, runs of them as UTF-8. An escape that is no escape
// ("%G1", a "%" at the end) and "%00", which would cut the URL short, stay
// as written.
std::wstring DecodePercentOnce(const std::wstring& url);

} // namespace brw
