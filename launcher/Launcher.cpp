// BRW: the program Windows starts for brw: links. It registers itself as the
// Brw protocol's program, or hands one URL to the handler's ProcessURL.
#include "common/Handles.h"
#include "common/ModulePath.h"
#include "handler/protocol/ProcessUrl.h"
#include "launcher/LaunchCommand.h"
#include "launcher/LauncherRegistration.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <new>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kDotNetRuntime[] = L"Mscoree.dll";

// The arguments after the program's name, split by the shell's rules.
std::vector<std::wstring> Arguments()
{
    int count = 0;
    const brw::LocalBlock<LPWSTR> split(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!split) {
        return {};
    }
    return std::vector<std::wstring>(split.get() + (count > 0 ? 1 : 0), split.get() + count);
}

HRESULT Register(brw::LaunchAction action)
{
    const std::wstring path = brw::ModuleFilePath(nullptr);
    if (path.empty()) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    switch (action) {
    case brw::LaunchAction::RegisterMachine:
        return brw::RegisterLauncher(brw::RegistrationScope::Machine, path);
    case brw::LaunchAction::UnregisterMachine:
        return brw::UnregisterLauncher(brw::RegistrationScope::Machine, path);
    case brw::LaunchAction::RegisterUser:
        return brw::RegisterLauncher(brw::RegistrationScope::User, path);
    case brw::LaunchAction::UnregisterUser:
        return brw::UnregisterLauncher(brw::RegistrationScope::User, path);
    case brw::LaunchAction::Open:
        break;
    }
    return E_UNEXPECTED;
}

int Run()
{
    const brw::LaunchCommand command = brw::ReadLaunchCommand(Arguments());
    if (command.action != brw::LaunchAction::Open) {
        return static_cast<int>(Register(command.action));
    }
    return ProcessURL(command.verb.c_str(), command.url.c_str());
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // A .NET runtime loaded into the process may already have chosen the
    // apartment; the program then goes on in it.
    if (FAILED(com) && !(com == RPC_E_CHANGED_MODE && GetModuleHandleW(kDotNetRuntime) != nullptr)) {
        return static_cast<int>(com);
    }
    int result = 1;
    try {
        result = Run();
    } catch (const std::bad_alloc&) {
        result = static_cast<int>(E_OUTOFMEMORY);
    }
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    return result;
}
