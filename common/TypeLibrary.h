#pragma once
// Type libraries built when a module registers. This toolchain has no IDL
// compiler, so a module describes its library as data; registration writes
// it with the system's type library builder to a .tlb file beside the
// module and registers that file under TypeLib through the registry script
// engine, per machine or per user alike. Unregistration removes both.
#include "common/Registrar.h"
#include "common/RegistryScript.h"

#include <windows.h>

#include <string>
#include <vector>

namespace brw {

// An interface derived from IUnknown whose methods take no arguments and
// return an HRESULT, in vtable order.
struct TypeLibraryInterface {
    std::wstring name;
    std::wstring description;
    GUID iid;
    std::vector<std::wstring> methods;
};

// A creatable class whose default interface is one of the library's.
struct TypeLibraryClass {
    std::wstring name;
    std::wstring description;
    GUID clsid;
    size_t defaultInterface; // index into the library's interfaces
};

struct TypeLibraryDescription {
    std::wstring name;
    std::wstring description; // what TypeLib\{id}\1.0 shows
    GUID libraryId;
    WORD majorVersion = 1;
    WORD minorVersion = 0;
    std::vector<TypeLibraryInterface> interfaces;
    std::vector<TypeLibraryClass> classes;
};

// The library file kept for a module: its path with the extension .tlb.
std::wstring TypeLibraryPathFor(const std::wstring& modulePath);

// Builds the library for this process's architecture and writes it to path,
// replacing a file that is there. E_INVALIDARG for a class whose default
// interface is not in the library; a failure leaves no file.
HRESULT WriteTypeLibrary(const TypeLibraryDescription& library, const std::wstring& path) noexcept;

// The TypeLib keys; texts carry %TYPELIB% (the file) and %TYPELIBDIR%.
RegistryScript TypeLibraryScript(const TypeLibraryDescription& library);

// Writes the file beside the module and registers it; what was done before a
// failure is taken away again.
HRESULT RegisterTypeLibrary(const TypeLibraryDescription& library, const std::wstring& modulePath,
                            RegistrationScope scope) noexcept;
// Removes the keys and the file; either already gone counts as removed.
HRESULT UnregisterTypeLibrary(const TypeLibraryDescription& library, const std::wstring& modulePath,
                              RegistrationScope scope) noexcept;

} // namespace brw
