#include "monitor32/MonitorRegistration.h"

#include "common/IndexChangeMonitorApi.h"
#include "common/WideString.h"

#include <new>
#include <string>

namespace brw {
namespace {

using V = ScriptValue;

constexpr wchar_t kClassName[] = L"IndexChangeMonitor Class";
constexpr wchar_t kApplicationName[] = L"BRWMon32";
constexpr wchar_t kLibraryFileName[] = L"BRWMon32.DLL";
constexpr wchar_t kUserCommand[] = L"user";
constexpr wchar_t kLibraryName[] = L"BRWMon32Lib";
constexpr wchar_t kLibraryDescription[] = L"BRWMon32 1.0 Type Library";
constexpr wchar_t kInterfaceName[] = L"IIndexChangeMonitor";
constexpr wchar_t kInterfaceDescription[] = L"IIndexChangeMonitor Interface";

void AddProgIds(RegistryScript* script, const std::wstring& clsid)
{
    const std::wstring versioned = kMonitorProgId;
    const std::wstring independent = kMonitorIndependentProgId;
    script->push_back({HKEY_CLASSES_ROOT, versioned, KeyMode::Normal, {V::Default(kClassName)}});
    script->push_back({HKEY_CLASSES_ROOT, versioned + L"\\CLSID", KeyMode::Normal, {V::Default(clsid)}});
    script->push_back({HKEY_CLASSES_ROOT, independent, KeyMode::Normal, {V::Default(kClassName)}});
    script->push_back({HKEY_CLASSES_ROOT, independent + L"\\CLSID", KeyMode::Normal, {V::Default(clsid)}});
    script->push_back({HKEY_CLASSES_ROOT, independent + L"\\CurVer", KeyMode::Normal, {V::Default(versioned)}});
}

void AddClass(RegistryScript* script, const std::wstring& clsid)
{
    const std::wstring key = L"CLSID\\" + clsid;
    script->push_back(
        {HKEY_CLASSES_ROOT, key, KeyMode::ForceRemove, {V::Default(kClassName), V::String(L"AppID", L"%APPID%")}});
    script->push_back({HKEY_CLASSES_ROOT, key + L"\\ProgID", KeyMode::Normal, {V::Default(kMonitorProgId)}});
    script->push_back({HKEY_CLASSES_ROOT,
                       key + L"\\VersionIndependentProgID",
                       KeyMode::Normal,
                       {V::Default(kMonitorIndependentProgId)}});
    script->push_back({HKEY_CLASSES_ROOT,
                       key + L"\\InprocServer32",
                       KeyMode::Normal,
                       {V::Default(L"%MODULE%"), V::String(L"ThreadingModel", L"Apartment")}});
}

void AddApplication(RegistryScript* script)
{
    script->push_back({HKEY_CLASSES_ROOT, L"AppID\\%APPID%", KeyMode::Normal, {V::Default(kApplicationName)}});
    script->push_back({HKEY_CLASSES_ROOT,
                       std::wstring(L"AppID\\") + kLibraryFileName,
                       KeyMode::Normal,
                       {V::String(L"AppID", L"%APPID%")}});
}

Registrar MonitorRegistrar(const wchar_t* modulePath, RegistrationScope scope)
{
    return Registrar(scope, Replacements{{L"MODULE", modulePath}, {L"APPID", GuidToString(kMonitorApplicationId)}});
}

} // namespace

RegistryScript MonitorScript()
{
    RegistryScript script;
    AddApplication(&script);
    const std::wstring clsid = GuidToString(kIndexChangeMonitorClsid);
    AddProgIds(&script, clsid);
    AddClass(&script, clsid);
    return script;
}

TypeLibraryDescription MonitorTypeLibrary()
{
    TypeLibraryDescription library;
    library.name = kLibraryName;
    library.description = kLibraryDescription;
    library.libraryId = kMonitorLibraryId;
    library.interfaces = {
        {kInterfaceName, kInterfaceDescription, IID_IIndexChangeMonitor, {L"HasIndexBeenReset", L"Commit"}}};
    library.classes = {{L"IndexChangeMonitor", kClassName, kIndexChangeMonitorClsid, 0}};
    return library;
}

HRESULT RegisterMonitor(const wchar_t* modulePath, RegistrationScope scope) noexcept
{
    if (!modulePath || !*modulePath) {
        return E_INVALIDARG;
    }
    try {
        const Registrar registrar = MonitorRegistrar(modulePath, scope);
        const RegistryScript script = MonitorScript();
        HRESULT hr = registrar.Register(script);
        if (SUCCEEDED(hr)) {
            hr = RegisterTypeLibrary(MonitorTypeLibrary(), modulePath, scope);
        }
        if (FAILED(hr)) {
            registrar.Unregister(script);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterMonitor(const wchar_t* modulePath, RegistrationScope scope) noexcept
{
    if (!modulePath || !*modulePath) {
        return E_INVALIDARG;
    }
    try {
        const HRESULT library = UnregisterTypeLibrary(MonitorTypeLibrary(), modulePath, scope);
        const HRESULT keys = MonitorRegistrar(modulePath, scope).Unregister(MonitorScript());
        return FAILED(keys) ? keys : library;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

RegistrationScope ScopeFromInstallCommand(const wchar_t* commandLine) noexcept
{
    return StartsWithNoCase(commandLine, kUserCommand) ? RegistrationScope::User : RegistrationScope::Machine;
}

} // namespace brw
