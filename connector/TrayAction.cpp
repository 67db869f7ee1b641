#include "connector/TrayAction.h"

#include "common/DebugConsole.h"
#include "connector/DatabaseCommands.h"
#include "connector/NotesDirectorySetting.h"
#include "connector/PasswordDialogWatch.h"
#include "connector/ProductMessage.h"

namespace brw {
namespace {

using discovery::InstallationState;

// False when nothing serves; a crawl that did not start takes the pipe
// server down with it, as at start-up.
bool StartServingOnce(Serving& serving)
{
    if (serving.IsStarted()) {
        return true;
    }
    switch (serving.Start()) {
    case ServingStart::Serving:
        return true;
    case ServingStart::NoCrawl:
        serving.Stop();
        break;
    case ServingStart::NoPipeServer:
        break;
    }
    LogString(L"Serving did not start\n");
    return false;
}

} // namespace

TrayAction::TrayAction(Serving& serving, DatabaseInfoSource& source) : serving_(serving), source_(source) {}

InstallationState LookForSomethingToIndex(DatabaseInfoSource& source)
{
    discovery::DiscoveryInputs inputs;
    inputs.source = &source;
    inputs.notesDirectory = ReadNotesDirectorySetting();
    InstallationState state = InstallationState::Enabled;
    if (WithPasswordWatch([&] { state = discovery::EvaluateInstallation(inputs); }) == LoginOutcome::LoggedIn) {
        StorePasswordIfAsked();
    }
    return state;
}

TrayOutcome TrayAction::Run(HWND window)
{
    switch (LookForSomethingToIndex(source_)) {
    case InstallationState::Enabled:
        return TrayOutcome::ShowList;
    case InstallationState::ReadyToEnable:
        return EnableAndServe() ? TrayOutcome::ShowList : TrayOutcome::StayHidden;
    case InstallationState::Disabled:
        if (ShowProductMessage(window, kEnableQuestion, MB_YESNO) != IDYES) {
            return TrayOutcome::ShowList;
        }
        EnableAndServe();
        return TrayOutcome::StayHidden;
    }
    return TrayOutcome::ShowList;
}

bool TrayAction::EnableAndServe()
{
    if (PerformNotesLogin() == LoginOutcome::Cancelled) {
        return false;
    }
    StorePasswordIfAsked();
    if (!StartServingOnce(serving_) || !discovery::EnableInstallation()) {
        return false;
    }
    RequestCrawlNow();
    return true;
}

} // namespace brw
