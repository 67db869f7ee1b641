// The connector program: a tray program that holds the Notes session of the
// logon session, serves the protocol handler's pipe and runs the crawl.
//
// Start-up runs in a fixed order: nothing that needs Notes is bound before
// the Notes folder has been made current and nnotes.dll loaded from it.
// Shutdown runs in the reverse order, and Notes is ended only once no
// thread of ours can still be inside it.
#include "common/ComApartment.h"
#include "common/DebugConsole.h"
#include "common/FailureTrail.h"
#include "connector/ConnectorResources.h"
#include "connector/ConsoleHostLink.h"
#include "connector/InstallCheck.h"
#include "connector/LateBinding.h"
#include "connector/MainWindow.h"
#include "connector/NotesLocation.h"
#include "connector/PasswordCache.h"
#include "connector/PasswordDialogWatch.h"
#include "connector/Serving.h"
#include "connector/SingleInstance.h"
#include "connector/StartupSteps.h"
#include "connector/TrayAction.h"

#include <windows.h>

namespace {

// The console host is given the usual five seconds to make its console, but
// is tried ten times a second: start-up attaches twice and must not wait a
// whole second each time.
constexpr DWORD kAttachIntervalMs = 100;
constexpr int kAttachTries = 50;

// Made before main, in this order: the instance rule and the console rule
// hold from the first line of the program on. Destroyed after main in the
// reverse order: the console is released (and the console host told so)
// before the mutex goes.
const brw::SingleInstance g_instance;
const bool g_consoleOn = brw::IsDebugConsoleOn();
brw::ConsoleHostLink g_console(brw::ConsoleHostOptions{L"BRWHC.EXE", g_consoleOn, kAttachIntervalMs, kAttachTries});

// What start-up loaded and must give back.
struct NotesSession {
    brw::ModuleHandle library;
    bool started = false;
    // False when a thread did not end in time: it may still be inside Notes,
    // and a clean process exit beats a crash there.
    bool mayEnd = true;
};

enum class Login { Skipped, Passed, Cancelled };

using brw::discovery::InstallationState;

// A disabled installation with something to index is enabled at start-up,
// but only once the login passed and serving runs.
Login LogInUnlessDisabled(InstallationState state)
{
    if (state == InstallationState::Disabled) {
        return Login::Skipped;
    }
    brw::LogString(L"Check login\n");
    if (brw::PerformNotesLogin() == brw::LoginOutcome::Cancelled) {
        return Login::Cancelled;
    }
    brw::StorePasswordIfAsked();
    return Login::Passed;
}

// False when the program must end without its message loop.
bool StartServing(brw::Serving& serving, NotesSession& notes)
{
    switch (serving.Start()) {
    case brw::ServingStart::Serving:
        return true;
    case brw::ServingStart::NoCrawl:
        brw::LogString(L"BRW Exiting");
        notes.mayEnd = serving.Stop() == brw::ServingStop::Ended;
        return false;
    case brw::ServingStart::NoPipeServer:
        break;
    }
    return false;
}

// From the main window on: tray, login, serving, the message loop, the stop.
int RunWindow(brw::MainWindow& window, HACCEL accelerators, NotesSession& notes)
{
    if (!window.Create()) {
        brw::TraceWin32Failure(L"BRWConnector", L"CreateWindowEx", GetLastError());
        return brw::kNoMainWindowExitCode;
    }
    window.ShowInTray();
    g_console.Restart();
    brw::LogString(L"Console recreated\n");
    brw::Serving serving;
    window.UseServing(serving);
    brw::DataServiceInfoSource databases;
    const InstallationState state = brw::LookForSomethingToIndex(databases);
    const Login login = LogInUnlessDisabled(state);
    if (login == Login::Cancelled || (login == Login::Passed && !StartServing(serving, notes))) {
        return 0;
    }
    if (login == Login::Passed) {
        if (state == InstallationState::ReadyToEnable) {
            brw::discovery::EnableInstallation();
        }
        window.FillList();
    }
    const int code = window.RunMessageLoop(accelerators);
    brw::LogString(L"BRW Exiting");
    notes.mayEnd = serving.Stop() == brw::ServingStop::Ended;
    return code;
}

// From the loaded Notes library on; ends Notes when it was started.
int RunWithNotes(brw::MainWindow& window, HACCEL accelerators, NotesSession& notes)
{
    brw::WaitForNotesPreloader();
    g_console.Start();
    brw::LogShutdownParameters();
    const brw::NotesStatus status = brw::NotesRuntime()->initExtended(0, nullptr);
    if (status != 0) {
        brw::LogLong(L"NotesInitExtended failed", status);
        return 0;
    }
    notes.started = true;
    brw::MakeInvalidParametersFatal();
    const int code = RunWindow(window, accelerators, notes);
    if (notes.mayEnd) {
        brw::NotesRuntime()->term();
    }
    return code;
}

// The last step, whatever came before: temporary files, the Notes library,
// the tray icon.
void FinishRun(brw::MainWindow& window, NotesSession& notes)
{
    if (notes.started) {
        if (const brw::DataServiceCalls* data = brw::DataService()) {
            data->deleteTemporaryFiles();
        }
    }
    if (notes.mayEnd) {
        brw::UnbindNotesRuntime();
        notes.library.reset();
    } else {
        notes.library.release(); // still in use by a thread that did not end
    }
    window.RemoveFromTray();
}

int Run(HINSTANCE instance)
{
    if (!brw::IsRememberCheckBoxAllowed()) {
        brw::ClearCachedPassword();
    }
    brw::ClearPasswordPromptState();
    brw::MainWindow window(instance);
    window.RegisterClass(g_consoleOn ? brw::MenuChoice::WithDebugItems : brw::MenuChoice::Normal);
    brw::InstallPasswordDialogWatch();
    NotesSession notes;
    int code = 0;
    {
        const brw::ComApartment com;
        if (!com.Entered()) {
            return 0;
        }
        if (brw::RunInstallCheck() == brw::InstallCheckResult::ProgramNotExaminable) {
            return 0;
        }
        const HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDC_CONNECTOR_ACCELERATORS));
        notes.library = brw::LocateAndLoadNotes();
        if (notes.library && brw::BindNotesRuntime(notes.library.get())) {
            code = RunWithNotes(window, accelerators, notes);
        }
    }
    FinishRun(window, notes);
    return code;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    if (!g_instance.IsFirst()) {
        return 0;
    }
    return Run(instance);
}
