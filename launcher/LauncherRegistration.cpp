#include "launcher/LauncherRegistration.h"

#include "common/FailureTrail.h"

#include <new>

namespace brw {
namespace {

constexpr wchar_t kModuleToken[] = L"MODULE";
constexpr wchar_t kComponent[] = L"BRW registration";
constexpr wchar_t kLibraryName[] = L"BRWLib";
constexpr wchar_t kLibraryDescription[] = L"BRW 1.0 Type Library";

using V = ScriptValue;

HRESULT Traced(const wchar_t* step, HRESULT hr) noexcept
{
    if (FAILED(hr)) {
        TraceFailure(kComponent, step, hr);
    }
    return hr;
}

HRESULT Register(RegistrationScope scope, const std::wstring& programPath)
{
    const Registrar registrar(scope, Replacements{{kModuleToken, programPath}});
    const RegistryScript script = LauncherScript();
    HRESULT hr = registrar.Register(script);
    if (SUCCEEDED(hr)) {
        hr = RegisterTypeLibrary(LauncherTypeLibrary(), programPath, scope);
    }
    if (FAILED(hr)) {
        registrar.Unregister(script);
    }
    return hr;
}

HRESULT Unregister(RegistrationScope scope, const std::wstring& programPath)
{
    const HRESULT library = UnregisterTypeLibrary(LauncherTypeLibrary(), programPath, scope);
    const Registrar registrar(scope, Replacements{{kModuleToken, programPath}});
    const HRESULT keys = registrar.Unregister(LauncherScript());
    return FAILED(keys) ? keys : library;
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

TypeLibraryDescription LauncherTypeLibrary()
{
    TypeLibraryDescription library;
    library.name = kLibraryName;
    library.description = kLibraryDescription;
    library.libraryId = kLauncherLibraryId;
    return library;
}

HRESULT RegisterLauncher(RegistrationScope scope, const std::wstring& programPath) noexcept
{
    try {
        return Traced(L"register", Register(scope, programPath));
    } catch (const std::bad_alloc&) {
        return Traced(L"register", E_OUTOFMEMORY);
    }
}

HRESULT UnregisterLauncher(RegistrationScope scope, const std::wstring& programPath) noexcept
{
    try {
        return Traced(L"unregister", Unregister(scope, programPath));
    } catch (const std::bad_alloc&) {
        return Traced(L"unregister", E_OUTOFMEMORY);
    }
}

} // namespace brw
