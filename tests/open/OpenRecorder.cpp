// A program that tests register for a URL protocol or a file type: it
// appends its first argument as one UTF-8 line to the file named by
// BRW_OPEN_LOG, then sets the event named by BRW_OPEN_EVENT, so the test
// waits for it instead of guessing how long the shell takes.
#include "common/Handles.h"
#include "common/WideString.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring Environment(const wchar_t* name)
{
    wchar_t value[MAX_PATH] = {};
    const DWORD units = GetEnvironmentVariableW(name, value, MAX_PATH);
    return units == 0 || units >= MAX_PATH ? std::wstring() : std::wstring(value, units);
}

std::wstring FirstArgument()
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (arguments == nullptr) {
        return {};
    }
    std::wstring first = count > 1 ? arguments[1] : L"";
    LocalFree(arguments);
    return first;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::string line = brw::WideToUtf8(FirstArgument()) + "\n";
    brw::FileHandle log(CreateFileW(Environment(L"BRW_OPEN_LOG").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!log || !WriteFile(log.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)) {
        return 1;
    }
    log.reset();
    brw::KernelHandle done(OpenEventW(EVENT_MODIFY_STATE, FALSE, Environment(L"BRW_OPEN_EVENT").c_str()));
    return done && SetEvent(done.get()) ? 0 : 1;
}
