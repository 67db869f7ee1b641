#pragma once
// A self-registering COM server library, registered in the prefix for the
// life of the holder as regsvr32 would register it, and unregistered after.
#include "common/Handles.h"

#include <windows.h>

#include <string>

namespace brwtest {

class ServerRegistration {
public:
    explicit ServerRegistration(const std::wstring& libraryPath);
    ~ServerRegistration();
    ServerRegistration(const ServerRegistration&) = delete;
    ServerRegistration& operator=(const ServerRegistration&) = delete;

    // DllRegisterServer's result.
    HRESULT Result() const { return result_; }
    // Unregisters before the holder goes (it unregisters again then).
    HRESULT Unregister();

private:
    HRESULT Call(const char* entry);

    brw::ModuleHandle module_;
    HRESULT result_;
};

} // namespace brwtest
