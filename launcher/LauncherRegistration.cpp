#include "launcher/LauncherRegistration.h"

#include "common/FailureTrail.h"

#include <new>

namespace brw {
namespace {

constexpr wchar_t kModuleToken[] = L"MODULE";
constexpr wchar_t kComponent[] = L"BRW registration";

using V = ScriptValue;

HRESULT Apply(RegistrationScope scope, const std::wstring& programPath, const wchar_t* step,
              HRESULT (Registrar::*operation)(const RegistryScript&) const noexcept) noexcept
{
    try {
        const Registrar registrar(scope, Replacements{{kModuleToken, programPath}});
        const HRESULT hr = (registrar.*operation)(LauncherScript());
        if (FAILED(hr)) {
            TraceFailure(kComponent, step, hr);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        TraceFailure(kComponent, step, E_OUTOFMEMORY);
        return E_OUTOFMEMORY;
    }
}

} // namespace

std::wstring LauncherOpenCommand(const std::wstring& programPath)
{
    return L"\"" + programPath + L"\" \"%1\"";
}

RegistryScript LauncherScript()
{
    const std::wstring module = L"%MODULE%";
    const std::wstring protocol = kBrwProtocolKey;
    return {
        {HKEY_CLASSES_ROOT,
         std::wstring(L"AppID\\") + kLauncherAppId,
         KeyMode::Normal,
         {V::Default(kLauncherProjectName)}},
        {HKEY_CLASSES_ROOT, L"AppID\\BRW.EXE", KeyMode::Normal, {V::String(L"AppID", kLauncherAppId)}},
        // Recreated, so no value of an earlier registration or of another
        // program survives in the protocol's key.
        {HKEY_CLASSES_ROOT,
         protocol,
         KeyMode::ForceRemove,
         {V::Default(L"URL:Brw Protocol"), V::String(L"URL Protocol", L""),
          V::String(L"ShellFolder", kResultsFolderClass)}},
        {HKEY_CLASSES_ROOT, protocol + L"\\DefaultIcon", KeyMode::Normal, {V::Default(module)}},
        {HKEY_CLASSES_ROOT,
         protocol + L"\\shell\\open\\command",
         KeyMode::Normal,
         {V::Default(LauncherOpenCommand(module))}},
    };
}

HRESULT RegisterLauncher(RegistrationScope scope, const std::wstring& programPath) noexcept
{
    return Apply(scope, programPath, L"register", &Registrar::Register);
}

HRESULT UnregisterLauncher(RegistrationScope scope, const std::wstring& programPath) noexcept
{
    return Apply(scope, programPath, L"unregister", &Registrar::Unregister);
}

} // namespace brw
