#include "launcher/LaunchCommand.h"

#include "common/WideString.h"

#include <windows.h>

#include <iterator>
#include <string>

namespace brw {
namespace {

constexpr wchar_t kBrwPrefix[] = L"brw://";
constexpr wchar_t kQuotedBrwPrefix[] = L"\"brw://";

struct Switch {
    const wchar_t* name;
    LaunchAction action;
};

constexpr Switch kRegistrationSwitches[] = {
    {L"RegServer", LaunchAction::RegisterMachine},
    {L"UnregServer", LaunchAction::UnregisterMachine},
    {L"RegServerPerUser", LaunchAction::RegisterUser},
    {L"UnregServerPerUser", LaunchAction::UnregisterUser},
};

// The one-letter verbs, chosen by an argument that begins with "-" and the
// letter.
constexpr const wchar_t* kVerbSwitches[] = {L"-p", L"-n", L"-f", L"-e"};

bool EqualsNoCase(const wchar_t* a, const wchar_t* b)
{
    return CompareStringOrdinal(a, -1, b, -1, TRUE) == CSTR_EQUAL;
}

bool ReadRegistrationSwitch(const std::wstring& argument, LaunchAction* action)
{
    if (argument.size() < 2 || (argument[0] != L'-' && argument[0] != L'/')) {
        return false;
    }
    for (const Switch& known : kRegistrationSwitches) {
        if (EqualsNoCase(argument.c_str() + 1, known.name)) {
            *action = known.action;
            return true;
        }
    }
    return false;
}

int HexValue(wchar_t c)
{
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// The byte of "%XX" at position at, or -1.
int EscapedByte(const std::wstring& text, size_t at)
{
    if (at + 2 >= text.size() || text[at] != L'%') {
        return -1;
    }
    const int high = HexValue(text[at + 1]);
    const int low = HexValue(text[at + 2]);
    const int value = high < 0 || low < 0 ? -1 : high * 16 + low;
    return value == 0 ? -1 : value;
}

} // namespace

LaunchCommand ReadLaunchCommand(const std::vector<std::wstring>& arguments)
{
    LaunchCommand command;
    for (const std::wstring& argument : arguments) {
        if (ReadRegistrationSwitch(argument, &command.action)) {
            return command;
        }
    }
    std::wstring url;
    for (const std::wstring& argument : arguments) {
        if (StartsWithNoCase(argument.c_str(), kBrwPrefix) || StartsWithNoCase(argument.c_str(), kQuotedBrwPrefix)) {
            url = argument;
            continue;
        }
        for (const wchar_t* verbSwitch : kVerbSwitches) {
            if (StartsWithNoCase(argument.c_str(), verbSwitch)) {
                command.verb = std::wstring(1, verbSwitch[1]);
            }
        }
    }
    command.url = DecodePercentOnce(url);
    return command;
}

std::wstring DecodePercentOnce(const std::wstring& url)
{
    std::wstring decoded;
    std::string bytes;
    for (size_t i = 0; i < url.size();) {
        const int byte = EscapedByte(url, i);
        if (byte >= 0) {
            bytes.push_back(static_cast<char>(byte));
            i += 3;
            continue;
        }
        decoded += Utf8ToWide(bytes);
        bytes.clear();
        decoded.push_back(url[i]);
        ++i;
    }
    return decoded + Utf8ToWide(bytes);
}

} // namespace brw
