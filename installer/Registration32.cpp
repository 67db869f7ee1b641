// Writes the 32-bit registration (BRWMon32.dll) as a WiX fragment, from the
// script the monitor applies when it registers itself for the machine.
#include "common/WideString.h"
#include "installer/FragmentFile.h"
#include "installer/PackageLayout.h"
#include "installer/RegistryFragment.h"
#include "monitor32/MonitorRegistration.h"

#include <cstdio>
#include <exception>
#include <vector>

namespace {

// The monitor's type library, built when it registers, is not part of the
// package yet: once its helper can run at build time, the .tlb joins the
// files and its keys join this source.
brw::RegistrationSource MonitorSource()
{
    return {L"BRWMon32",
            brw::kNotesDirectoryId,
            brw::ComponentView::Registry32,
            {{L"MODULE", brw::kMonitorFilePath}, {L"APPID", brw::GuidToString(brw::kMonitorApplicationId)}},
            {brw::MonitorScript()}};
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        const std::vector<brw::RegistrationSource> sources{MonitorSource()};
        return brw::WriteFragmentFile(argc, argv, brw::RegistrationFragment(brw::kRegistration32Group, sources));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "32-bit registration fragment: %s\n", e.what());
        return 1;
    }
}
