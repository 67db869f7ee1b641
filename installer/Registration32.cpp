// Writes the 32-bit registration (BRWMon32.dll) as a WiX fragment, from the
// script the monitor applies when it registers itself for the machine.
#include "common/WideString.h"
#include "installer/FragmentFile.h"
#include "installer/LibraryFolder.h"
#include "installer/PackageLayout.h"
#include "installer/RegistryFragment.h"
#include "monitor32/MonitorRegistration.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

// RegisterMonitor's order: the monitor's script, then its type library's.
brw::RegistrationSource MonitorSource()
{
    return {L"BRWMon32",
            brw::kNotesDirectoryId,
            brw::ComponentView::Registry32,
            {{L"MODULE", brw::kMonitorFilePath},
             {L"APPID", brw::GuidToString(brw::kMonitorApplicationId)},
             {brw::kLibraryFileToken, brw::kMonitorLibraryFilePath},
             {brw::kLibraryFolderToken, std::wstring(L"[") + brw::kNotesLibraryFolderProperty + L"]"}},
            {brw::MonitorScript(), brw::TypeLibraryScript(brw::MonitorTypeLibrary())}};
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        const std::vector<brw::RegistrationSource> sources{MonitorSource()};
        return brw::WriteGeneratedFiles(argc, argv, brw::RegistrationFragment(brw::kRegistration32Group, sources),
                                        brw::MonitorTypeLibrary());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "32-bit registration fragment: %s\n", e.what());
        return 1;
    }
}
