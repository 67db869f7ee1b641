#include "handler/protocol/ShellOpenEnvironment.h"

#include "common/ComHolders.h"
#include "common/FailureTrail.h"
#include "handler/pipe/PipeClient.h"

#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>

namespace brw {

const wchar_t kNotesLaunchFailureCaption[] = L"Launching Notes URL Failed";
const wchar_t kNotesLaunchFailureText[] =
    L"Brimlow Search was unable to launch the Lotus Notes document or message.\n\n"
    L"There are two known causes for this problem:\n"
    L"The default value for the registry key \nHKEY_CLASSES_ROOT\\Notes\\shell\\open\\Command is incorrect,\n"
    L"or the Microsoft Windows Desktop Search: Add-in for Lotus Notes is installed.\n\n"
    L"Verify that the registry key is correct and, if the Add-in is installed, remove it using the Control Panel";

namespace {

constexpr wchar_t kComponent[] = L"Open result";
constexpr wchar_t kShellOpen[] = L"open";
// ShellExecute reports success with a value above this.
constexpr INT_PTR kShellExecuteErrorLimit = 32;

// CLSID_AttachmentServices (shobjidl.h of the Windows SDK; the toolchain's
// header declares the interface but not the class).
constexpr CLSID kAttachmentServicesClass = {
    0x4125dd96, 0xe03a, 0x4103, {0x8f, 0x70, 0xe0, 0x59, 0x7d, 0x80, 0x3b, 0x9c}};
// Who asks the attachment services, so that the user's choices for our
// attachments are kept apart from other programs'.
constexpr GUID kAttachmentClient = {0x6c1e53a2, 0x8f0b, 0x4d6e, {0x9a, 0x41, 0x2b, 0x77, 0xc5, 0x0d, 0xe3, 0x18}};
constexpr wchar_t kAttachmentClientTitle[] = L"Brimlow Search";

bool ShellOpen(const std::wstring& target)
{
    const auto result =
        reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, kShellOpen, target.c_str(), nullptr, nullptr, SW_SHOW));
    if (result <= kShellExecuteErrorLimit) {
        TraceWin32Failure(kComponent, L"shell open", static_cast<DWORD>(result));
        return false;
    }
    return true;
}

const wchar_t* FileNameOf(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"\\/");
    return path.c_str() + (slash == std::wstring::npos ? 0 : slash + 1);
}

// The attachment services mark the file with the zone of its source and ask
// the user as the system's policy says, then run it.
FileLaunch LaunchThroughAttachmentServices(IAttachmentExecute* services, const std::wstring& path,
                                           const std::wstring& sourceUrl)
{
    if (FAILED(services->SetClientGuid(kAttachmentClient)) ||
        FAILED(services->SetClientTitle(kAttachmentClientTitle)) || FAILED(services->SetLocalPath(path.c_str())) ||
        FAILED(services->SetFileName(FileNameOf(path))) || FAILED(services->SetSource(sourceUrl.c_str()))) {
        return FileLaunch::Failed;
    }
    const HRESULT policy = services->CheckPolicy();
    if (FAILED(policy)) {
        TraceFailure(kComponent, L"attachment policy", policy);
        return FileLaunch::Failed;
    }
    if (policy == S_FALSE) {
        ATTACHMENT_ACTION action = ATTACHMENT_ACTION_CANCEL;
        if (FAILED(services->Prompt(nullptr, ATTACHMENT_PROMPT_EXEC, &action)) || action != ATTACHMENT_ACTION_EXEC) {
            return FileLaunch::Declined;
        }
    }
    const HRESULT run = services->Execute(nullptr, kShellOpen, nullptr);
    if (FAILED(run)) {
        TraceFailure(kComponent, L"attachment execute", run);
        return FileLaunch::Failed;
    }
    return FileLaunch::Launched;
}

} // namespace

std::wstring ShellOpenEnvironment::TemporaryDirectory()
{
    return RequestTemporaryDirectory();
}

HRESULT ShellOpenEnvironment::FetchDocument(PipeReply* reply, const std::wstring& database, const std::wstring& noteId,
                                            const DocumentRequest& what, const std::wstring& temporaryDirectory)
{
    const HRESULT hr = SendPipeRequest(reply, DocumentRequestText(database, noteId, what, temporaryDirectory).c_str());
    if (FAILED(hr)) {
        TraceFailure(kComponent, L"get_document", hr);
    }
    return hr;
}

bool ShellOpenEnvironment::LaunchTarget(const std::wstring& target)
{
    return ShellOpen(target);
}

FileLaunch ShellOpenEnvironment::LaunchAttachment(const std::wstring& path, const std::wstring& sourceUrl)
{
    ComPtr<IAttachmentExecute> services;
    const HRESULT created = CoCreateInstance(kAttachmentServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IAttachmentExecute, reinterpret_cast<void**>(services.put()));
    if (SUCCEEDED(created)) {
        return LaunchThroughAttachmentServices(services.get(), path, sourceUrl);
    }
    // Windows registers the attachment services with the shell; where the
    // class is missing (Wine 8 does not register it) the file is opened as
    // the shell opens any file, which is all such a system offers. The trail
    // says so: the user was not asked as the system's policy would ask.
    TraceFailure(kComponent, L"attachment services", created);
    return ShellOpen(path) ? FileLaunch::Launched : FileLaunch::Failed;
}

void ShellOpenEnvironment::ShowNotesLaunchFailure()
{
    MessageBoxW(nullptr, kNotesLaunchFailureText, kNotesLaunchFailureCaption, MB_OK);
}

} // namespace brw
