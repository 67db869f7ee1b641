// Writes the 64-bit registrations (BRWHandler.dll, BRW.exe) as a WiX
// fragment, from the scripts the two apply when they register themselves.
#include "common/WideString.h"
#include "handler/module/ClassTable.h"
#include "handler/module/ModuleScripts.h"
#include "installer/FragmentFile.h"
#include "installer/LibraryFolder.h"
#include "installer/PackageLayout.h"
#include "installer/RegistryFragment.h"
#include "launcher/LauncherRegistration.h"

#include <cstdio>
#include <exception>
#include <string>
#include <vector>

namespace {

// DllRegisterServer's order: the module script, then each class's own.
brw::RegistrationSource HandlerSource()
{
    brw::RegistrationSource source{
        L"BRWHandler",
        brw::kProgramDirectoryId,
        brw::ComponentView::Registry64,
        {{L"MODULE", brw::kHandlerFilePath}, {L"APPID", brw::GuidToString(brw::kHandlerApplicationId)}},
        {brw::ModuleScript()}};
    for (std::size_t i = 0; i < brw::kHandlerClassCount; ++i) {
        brw::RegistryScript script;
        if (brw::ClassScriptFor(*brw::kHandlerClasses[i].clsid, &script)) {
            source.scripts.push_back(script);
        }
    }
    return source;
}

// BRW /RegServer's order: its script, then its type library's.
brw::RegistrationSource LauncherSource()
{
    return {L"BRW",
            brw::kProgramDirectoryId,
            brw::ComponentView::Registry64,
            {{L"MODULE", brw::kLauncherFilePath},
             {brw::kLibraryFileToken, brw::kLauncherLibraryFilePath},
             {brw::kLibraryFolderToken, std::wstring(L"[") + brw::kProgramLibraryFolderProperty + L"]"}},
            {brw::LauncherScript(), brw::TypeLibraryScript(brw::LauncherTypeLibrary())}};
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    try {
        const std::vector<brw::RegistrationSource> sources{HandlerSource(), LauncherSource()};
        return brw::WriteGeneratedFiles(argc, argv, brw::RegistrationFragment(brw::kRegistration64Group, sources),
                                        brw::LauncherTypeLibrary());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "64-bit registration fragment: %s\n", e.what());
        return 1;
    }
}
