#include "tests/support/ServerRegistration.h"

namespace brwtest {

ServerRegistration::ServerRegistration(const std::wstring& libraryPath)
    : module_(LoadLibraryW(libraryPath.c_str())), result_(Call("DllRegisterServer"))
{
}

ServerRegistration::~ServerRegistration()
{
    Call("DllUnregisterServer");
}

HRESULT ServerRegistration::Unregister()
{
    return Call("DllUnregisterServer");
}

HRESULT ServerRegistration::Call(const char* entry)
{
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto function =
        module_ ? reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module_.get(), entry))) : nullptr;
    return function ? function() : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

} // namespace brwtest
