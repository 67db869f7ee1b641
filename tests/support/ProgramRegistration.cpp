#include "tests/support/ProgramRegistration.h"

#include "tests/support/BuildTrees.h"
#include "tests/support/ProcessRun.h"

#include <utility>

namespace brwtest {
namespace {

constexpr DWORD kRegistrationWaitMs = 60000;
constexpr bool kThisIs64Bit = sizeof(void*) == 8;

// The system folder that holds the regsvr32 of the architecture, as this
// process sees the Windows folder: a 32-bit process reaches the 64-bit
// system folder only through "sysnative".
const wchar_t* SystemFolderFor(ServerArchitecture architecture)
{
    if (architecture == ServerArchitecture::Bits64) {
        return kThisIs64Bit ? L"\\system32" : L"\\sysnative";
    }
    return kThisIs64Bit ? L"\\syswow64" : L"\\system32";
}

} // namespace

ProgramRegistration::ProgramRegistration(ServerArchitecture architecture, std::wstring library)
    : architecture_(architecture), library_(std::move(library))
{
    registered_ = GetFileAttributesW(library_.c_str()) != INVALID_FILE_ATTRIBUTES && Regsvr32(L"/s ") == 0;
}

ProgramRegistration::~ProgramRegistration()
{
    if (registered_) {
        Regsvr32(L"/u /s ");
    }
}

DWORD ProgramRegistration::Regsvr32(const std::wstring& switches) const
{
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring program = std::wstring(windows) + SystemFolderFor(architecture_) + L"\\regsvr32.exe";
    RunningProcess regsvr32(ProcessSpec{Quoted(program) + L" " + switches + Quoted(library_)});
    return regsvr32.Wait(kRegistrationWaitMs).exitCode;
}

} // namespace brwtest
