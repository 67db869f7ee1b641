#include "common/TypeLibrary.h"

#include "common/ComHolders.h"
#include "common/WideString.h"

#include <windows.h>
#include <oleauto.h>

#include <new>

namespace brw {
namespace {

using V = ScriptValue;

constexpr wchar_t kFileToken[] = L"TYPELIB";
constexpr wchar_t kFolderToken[] = L"TYPELIBDIR";
constexpr wchar_t kLibraryExtension[] = L".tlb";
// Where IUnknown is described; every library's interfaces derive from it.
constexpr wchar_t kStandardOleLibrary[] = L"stdole2.tlb";
// An interface's own methods come after the three IUnknown slots.
constexpr size_t kUnknownSlots = 3;
// Member ids of an interface's own methods, numbered as IDL compilers do.
constexpr MEMBERID kFirstMemberId = 0x60010000;
// Libraries are registered for the neutral locale, the "0" key.
constexpr LCID kLibraryLocale = LOCALE_NEUTRAL;
constexpr wchar_t kLibraryLocaleKey[] = L"0";
// TypeLib's FLAGS: no LIBFLAGS (not restricted, no controls, not hidden).
constexpr wchar_t kNoLibraryFlags[] = L"0";

#ifdef _WIN64
constexpr SYSKIND kSystemKind = SYS_WIN64;
constexpr wchar_t kPlatformKey[] = L"win64";
#else
constexpr SYSKIND kSystemKind = SYS_WIN32;
constexpr wchar_t kPlatformKey[] = L"win32";
#endif

HRESULT UnknownTypeInfo(ComPtr<ITypeInfo>& unknown) noexcept
{
    ComPtr<ITypeLib> standard;
    const HRESULT hr = LoadTypeLibEx(kStandardOleLibrary, REGKIND_NONE, standard.put());
    return SUCCEEDED(hr) ? standard->GetTypeInfoOfGuid(IID_IUnknown, unknown.put()) : hr;
}

HRESULT AddMethod(ICreateTypeInfo* info, UINT index, const std::wstring& name)
{
    FUNCDESC method{};
    method.memid = kFirstMemberId + static_cast<MEMBERID>(index);
    method.funckind = FUNC_PUREVIRTUAL;
    method.invkind = INVOKE_FUNC;
    method.callconv = CC_STDCALL;
    method.oVft = static_cast<SHORT>((kUnknownSlots + index) * sizeof(void*));
    method.elemdescFunc.tdesc.vt = VT_HRESULT;
    HRESULT hr = info->AddFuncDesc(index, &method);
    // The builder's setters take writable strings; they do not change them.
    std::wstring text = name;
    LPOLESTR names[] = {text.data()};
    return SUCCEEDED(hr) ? info->SetFuncAndParamNames(index, names, 1) : hr;
}

HRESULT StartTypeInfo(ICreateTypeLib2* builder, std::wstring name, TYPEKIND kind, const GUID& id,
                      std::wstring description, ComPtr<ICreateTypeInfo>& info)
{
    HRESULT hr = builder->CreateTypeInfo(name.data(), kind, info.put());
    if (SUCCEEDED(hr)) {
        hr = info->SetGuid(id);
    }
    return SUCCEEDED(hr) ? info->SetDocString(description.data()) : hr;
}

HRESULT Derive(ICreateTypeInfo* info, ITypeInfo* base)
{
    HREFTYPE reference = 0;
    const HRESULT hr = info->AddRefTypeInfo(base, &reference);
    return SUCCEEDED(hr) ? info->AddImplType(0, reference) : hr;
}

HRESULT AddInterface(ICreateTypeLib2* builder, const TypeLibraryInterface& description, ITypeInfo* unknown,
                     ComPtr<ITypeInfo>& made)
{
    ComPtr<ICreateTypeInfo> info;
    HRESULT hr =
        StartTypeInfo(builder, description.name, TKIND_INTERFACE, description.iid, description.description, info);
    if (SUCCEEDED(hr)) {
        hr = Derive(info.get(), unknown);
    }
    for (UINT index = 0; SUCCEEDED(hr) && index < description.methods.size(); ++index) {
        hr = AddMethod(info.get(), index, description.methods[index]);
    }
    if (SUCCEEDED(hr)) {
        hr = info->LayOut();
    }
    return SUCCEEDED(hr) ? info->QueryInterface(IID_ITypeInfo, made.put_void()) : hr;
}

HRESULT AddClass(ICreateTypeLib2* builder, const TypeLibraryClass& description, ITypeInfo* defaultInterface)
{
    ComPtr<ICreateTypeInfo> info;
    HRESULT hr =
        StartTypeInfo(builder, description.name, TKIND_COCLASS, description.clsid, description.description, info);
    if (SUCCEEDED(hr)) {
        hr = info->SetTypeFlags(TYPEFLAG_FCANCREATE);
    }
    if (SUCCEEDED(hr)) {
        hr = Derive(info.get(), defaultInterface);
    }
    if (SUCCEEDED(hr)) {
        hr = info->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT);
    }
    return SUCCEEDED(hr) ? info->LayOut() : hr;
}

HRESULT DescribeLibrary(ICreateTypeLib2* builder, const TypeLibraryDescription& library)
{
    std::wstring name = library.name;
    std::wstring description = library.description;
    HRESULT hr = builder->SetName(name.data());
    if (SUCCEEDED(hr)) {
        hr = builder->SetGuid(library.libraryId);
    }
    if (SUCCEEDED(hr)) {
        hr = builder->SetVersion(library.majorVersion, library.minorVersion);
    }
    if (SUCCEEDED(hr)) {
        hr = builder->SetLcid(kLibraryLocale);
    }
    return SUCCEEDED(hr) ? builder->SetDocString(description.data()) : hr;
}

HRESULT AddTypes(ICreateTypeLib2* builder, const TypeLibraryDescription& library)
{
    if (library.interfaces.empty()) {
        return S_OK;
    }
    ComPtr<ITypeInfo> unknown;
    HRESULT hr = UnknownTypeInfo(unknown);
    std::vector<ComPtr<ITypeInfo>> interfaces(library.interfaces.size());
    for (size_t index = 0; SUCCEEDED(hr) && index < library.interfaces.size(); ++index) {
        hr = AddInterface(builder, library.interfaces[index], unknown.get(), interfaces[index]);
    }
    for (size_t index = 0; SUCCEEDED(hr) && index < library.classes.size(); ++index) {
        const TypeLibraryClass& type = library.classes[index];
        hr = AddClass(builder, type, interfaces[type.defaultInterface].get());
    }
    return hr;
}

bool DefaultInterfacesExist(const TypeLibraryDescription& library)
{
    for (const TypeLibraryClass& type : library.classes) {
        if (type.defaultInterface >= library.interfaces.size()) {
            return false;
        }
    }
    return true;
}

HRESULT Build(const TypeLibraryDescription& library, const std::wstring& path)
{
    ComPtr<ICreateTypeLib2> builder;
    HRESULT hr = CreateTypeLib2(kSystemKind, path.c_str(), builder.put());
    if (SUCCEEDED(hr)) {
        hr = DescribeLibrary(builder.get(), library);
    }
    if (SUCCEEDED(hr)) {
        hr = AddTypes(builder.get(), library);
    }
    return SUCCEEDED(hr) ? builder->SaveAllChanges() : hr;
}

std::wstring FolderOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

Registrar LibraryRegistrar(const std::wstring& path, RegistrationScope scope)
{
    return Registrar(scope, Replacements{{kFileToken, path}, {kFolderToken, FolderOf(path)}});
}

HRESULT DeleteLibraryFile(const std::wstring& path) noexcept
{
    if (DeleteFileW(path.c_str())) {
        return S_OK;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? S_OK : HRESULT_FROM_WIN32(error);
}

} // namespace

std::wstring TypeLibraryPathFor(const std::wstring& modulePath)
{
    const size_t dot = modulePath.find_last_of(L'.');
    const size_t slash = modulePath.find_last_of(L"\\/");
    const bool hasExtension = dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
    return (hasExtension ? modulePath.substr(0, dot) : modulePath) + kLibraryExtension;
}

HRESULT WriteTypeLibrary(const TypeLibraryDescription& library, const std::wstring& path) noexcept
{
    if (path.empty() || !DefaultInterfacesExist(library)) {
        return E_INVALIDARG;
    }
    try {
        const HRESULT hr = Build(library, path);
        if (FAILED(hr)) {
            DeleteLibraryFile(path);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        DeleteLibraryFile(path);
        return E_OUTOFMEMORY;
    }
}

RegistryScript TypeLibraryScript(const TypeLibraryDescription& library)
{
    const std::wstring key = L"TypeLib\\" + GuidToString(library.libraryId);
    // Versions are written in hexadecimal, as the system reads them.
    const std::wstring version = key + FormatText(L"\\%x.%x", library.majorVersion, library.minorVersion);
    const std::wstring file = std::wstring(L"%") + kFileToken + L"%";
    const std::wstring folder = std::wstring(L"%") + kFolderToken + L"%";
    return {
        {HKEY_CLASSES_ROOT, key, KeyMode::Normal, {}},
        // Recreated, so no file of an earlier registration stays named.
        {HKEY_CLASSES_ROOT, version, KeyMode::ForceRemove, {V::Default(library.description)}},
        {HKEY_CLASSES_ROOT, version + L"\\FLAGS", KeyMode::Normal, {V::Default(kNoLibraryFlags)}},
        {HKEY_CLASSES_ROOT,
         version + L"\\" + kLibraryLocaleKey + L"\\" + kPlatformKey,
         KeyMode::Normal,
         {V::Default(file)}},
        {HKEY_CLASSES_ROOT, version + L"\\HELPDIR", KeyMode::Normal, {V::Default(folder)}},
    };
}

HRESULT RegisterTypeLibrary(const TypeLibraryDescription& library, const std::wstring& modulePath,
                            RegistrationScope scope) noexcept
{
    try {
        const std::wstring path = TypeLibraryPathFor(modulePath);
        HRESULT hr = WriteTypeLibrary(library, path);
        if (FAILED(hr)) {
            return hr;
        }
        const Registrar registrar = LibraryRegistrar(path, scope);
        const RegistryScript script = TypeLibraryScript(library);
        hr = registrar.Register(script);
        if (FAILED(hr)) {
            registrar.Unregister(script);
            DeleteLibraryFile(path);
        }
        return hr;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT UnregisterTypeLibrary(const TypeLibraryDescription& library, const std::wstring& modulePath,
                              RegistrationScope scope) noexcept
{
    try {
        const std::wstring path = TypeLibraryPathFor(modulePath);
        const HRESULT keys = LibraryRegistrar(path, scope).Unregister(TypeLibraryScript(library));
        const HRESULT file = DeleteLibraryFile(path);
        return FAILED(keys) ? keys : file;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

} // namespace brw
