#pragma once
// A self-registering COM server of either architecture, registered by the
// regsvr32 program of that architecture for the life of the holder and
// unregistered after: what a test of one tree needs for a server of the
// other, which it cannot load itself.
#include <windows.h>

#include <string>

namespace brwtest {

enum class ServerArchitecture { Bits32, Bits64 };

class ProgramRegistration {
public:
    ProgramRegistration(ServerArchitecture architecture, std::wstring library);
    ~ProgramRegistration();
    ProgramRegistration(const ProgramRegistration&) = delete;
    ProgramRegistration& operator=(const ProgramRegistration&) = delete;

    bool Registered() const { return registered_; }

private:
    DWORD Regsvr32(const std::wstring& switches) const;

    ServerArchitecture architecture_;
    std::wstring library_;
    bool registered_ = false;
};

} // namespace brwtest
