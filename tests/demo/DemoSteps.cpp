#include "tests/demo/DemoSteps.h"

#include "common/Handles.h"
#include "connector/ConnectorResources.h"
#include "tests/demo/ProcessSnapshot.h"
#include "tests/demo/ShownWindow.h"
#include "tests/support/WindowWatch.h"

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

namespace brwdemo {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kRunValue[] = L"Brimlow Search";
// The longest command line Windows starts.
constexpr DWORD kCommandLimit = 32767;
constexpr wchar_t kDialogClass[] = L"#32770";
constexpr wchar_t kPromptTitle[] = L"Enter Password";
constexpr int kPasswordItem = 101;
constexpr int kRememberCheckBox = 112;
constexpr wchar_t kConnectorClass[] = L"BRWCONNECTOR";
constexpr wchar_t kConnectorImage[] = L"BRWConnector.exe";
// A right password closes the prompt as soon as Notes has checked it.
constexpr DWORD kPromptGoneMs = 30000;
// The shell's own helpers, and the launcher that hands the URL on: none of
// them is the program a user sees opening.
const std::vector<std::wstring> kNotTheProgram = {
    L"BRW.exe",   L"conhost.exe",  L"start.exe",    L"explorer.exe", L"winemenubuilder.exe",
    L"rpcss.exe", L"services.exe", L"plugplay.exe", L"svchost.exe",  L"winedevice.exe"};

StepResult Failed(const std::wstring& why)
{
    return {false, why};
}

bool RunCommand(std::wstring* command)
{
    std::vector<wchar_t> buffer(kCommandLimit + 1);
    DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kRunKey, kRunValue, RRF_RT_REG_SZ, nullptr, buffer.data(), &bytes) !=
        ERROR_SUCCESS) {
        return false;
    }
    command->assign(buffer.data());
    return !command->empty();
}

brw::KernelHandle StartDetached(std::wstring command)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    // Started by the user's session, the program has no console of its own.
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr, nullptr, &startup,
                        &started)) {
        return brw::KernelHandle();
    }
    CloseHandle(started.hThread);
    return brw::KernelHandle(started.hProcess);
}

void AnswerPrompt(HWND prompt, const std::wstring& password, Remember remember)
{
    brwtest::TypeIntoItem(prompt, kPasswordItem, password);
    const HWND box = GetDlgItem(prompt, kRememberCheckBox);
    if (box != nullptr) {
        SendMessageW(box, BM_SETCHECK, remember == Remember::Yes ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    brwtest::PressButton(prompt, IDOK);
}

HWND WaitForPrompt(HANDLE process, DWORD timeoutMs)
{
    return brwtest::WaitForProcessWindow(process, GetProcessId(process),
                                         {kDialogClass, kPromptTitle, brwtest::Shown::Visible}, timeoutMs);
}

brw::KernelHandle RunningConnector()
{
    DWORD id = 0;
    return OpenRunning(kConnectorImage, &id);
}

StepResult AnswerConnectorPrompt(HANDLE process, HWND prompt, const std::wstring& password, Remember remember,
                                 const std::wstring& note)
{
    AnswerPrompt(prompt, password, remember);
    if (!brwtest::WaitForWindowGone(process, prompt, kPromptGoneMs)) {
        return Failed(L"the password prompt stayed");
    }
    if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) {
        return Failed(L"the connector ended after the password");
    }
    return {true, L"the connector asked for the Notes password once" + note};
}

// The program the shell started for the URL, once the launcher has ended.
bool ProgramStarted(const std::set<DWORD>& before, ProcessEntry* program)
{
    const std::vector<ProcessEntry> started = StartedSince(before, kNotTheProgram);
    if (started.empty()) {
        return false;
    }
    *program = started.front();
    return true;
}

// Reads what the window says and closes it as the user would: OK for a
// message box, the close box for anything else.
std::wstring ReadAndClose(const ShownWindow& window)
{
    std::wstring seen = window.title;
    if (window.className == kDialogClass) {
        for (const std::wstring& text : brwtest::StaticTexts(window.handle)) {
            if (!text.empty()) {
                seen += L": " + text;
            }
        }
        brwtest::PressButton(window.handle, IDOK);
    } else {
        PostMessageW(window.handle, WM_CLOSE, 0, 0);
    }
    return seen;
}

} // namespace

StepResult LogOn(const std::wstring& password, Remember remember, DWORD timeoutMs)
{
    std::wstring command;
    if (!RunCommand(&command)) {
        return Failed(L"no Brimlow Search entry in the machine's Run key");
    }
    const brw::KernelHandle process = StartDetached(command);
    if (!process) {
        return Failed(L"cannot start " + command);
    }
    HWND prompt = WaitForPrompt(process.get(), timeoutMs);
    if (prompt != nullptr) {
        return AnswerConnectorPrompt(process.get(), prompt, password, remember, L"");
    }
    // A copy started earlier (by the protocol handler, when Windows Search
    // asked for an item first) keeps the session; the second copy ends.
    if (WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0) {
        return Failed(L"the connector showed no password prompt");
    }
    const brw::KernelHandle earlier = RunningConnector();
    prompt = earlier ? WaitForPrompt(earlier.get(), timeoutMs) : nullptr;
    if (prompt == nullptr) {
        return Failed(L"the connector runs already and showed no password prompt");
    }
    return AnswerConnectorPrompt(earlier.get(), prompt, password, remember,
                                 L" (it had been started already, by Windows Search asking for an item)");
}

StepResult OpenAsExplorer(const std::wstring& url, const std::wstring& password, DWORD timeoutMs)
{
    const std::set<DWORD> before = IdsOf(RunningProcesses());
    SHELLEXECUTEINFOW open{};
    open.cbSize = sizeof(open);
    open.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    open.lpVerb = L"open";
    open.lpFile = url.c_str();
    open.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&open)) {
        return Failed(L"the shell could not open " + url);
    }
    const brw::KernelHandle launcher(open.hProcess);
    if (launcher && WaitForSingleObject(launcher.get(), timeoutMs) != WAIT_OBJECT_0) {
        return Failed(L"the brw: launcher did not end");
    }
    ProcessEntry program;
    if (!ProgramStarted(before, &program)) {
        return Failed(L"nothing was opened for " + url);
    }
    const brw::KernelHandle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, program.id));
    if (!process) {
        return Failed(program.image + L" ended at once");
    }
    ShownWindow window = WaitForShownWindow(process.get(), program.id, timeoutMs);
    if (window.handle != nullptr && window.className == kDialogClass && window.title == kPromptTitle) {
        AnswerPrompt(window.handle, password, Remember::No);
        brwtest::WaitForWindowGone(process.get(), window.handle, timeoutMs);
        window = WaitForShownWindow(process.get(), program.id, timeoutMs);
    }
    if (window.handle == nullptr) {
        return Failed(program.image + L" showed no window");
    }
    const std::wstring seen = program.image + L": " + ReadAndClose(window);
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) {
        return Failed(seen + L" (and did not end when closed)");
    }
    return {true, seen};
}

StepResult AskForCrawlNow()
{
    const HWND window = FindWindowW(kConnectorClass, nullptr);
    if (window == nullptr) {
        return Failed(L"the connector is not running");
    }
    if (!PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_UPDATE_INDEX_NOW, 0), 0)) {
        return Failed(L"the connector's window took no command");
    }
    return {true, L"asked the connector to update the index now"};
}

} // namespace brwdemo
