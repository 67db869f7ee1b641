// The package's custom actions: the steps Windows Installer tables cannot
// express. Each entry point catches at its boundary and notes what failed in
// the installation's log. Only the registration's own data fails the
// installation; a crawl root the connector can add later, or a connector
// still running, is no reason to leave a machine half installed.
#include "common/FailureTrail.h"
#include "handler/module/ComForThisCall.h"
#include "handler/module/CrawlRoots.h"
#include "installer/ConnectorClose.h"
#include "installer/CrawlRootSetup.h"
#include "installer/LibraryFolder.h"
#include "installer/PackageLayout.h"

#include <windows.h>
#include <msi.h>
#include <msiquery.h>

#include <new>
#include <string>

namespace {

constexpr wchar_t kComponent[] = L"BRWSetup";
// A deferred action's only input: what the installer set for it.
constexpr wchar_t kActionData[] = L"CustomActionData";
// A SID's text and some room; longer data is refused, not cut.
constexpr DWORD kActionDataLimit = 256;
// The longest path Windows takes, for a directory property.
constexpr DWORD kDirectoryLimit = 32767;

void Log(MSIHANDLE install, const std::wstring& text) noexcept
{
    // msi.h's own holder closes the record. The text goes in field 1, so
    // the installer's formatting of field 0 never touches it.
    PMSIHANDLE record(MsiCreateRecord(1));
    if (record && MsiRecordSetStringW(record, 0, L"[1]") == ERROR_SUCCESS &&
        MsiRecordSetStringW(record, 1, (std::wstring(kComponent) + L": " + text).c_str()) == ERROR_SUCCESS) {
        MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
    }
}

void LogFailure(MSIHANDLE install, const wchar_t* step, HRESULT hr) noexcept
{
    brw::TraceFailure(kComponent, step, hr);
    try {
        Log(install, brw::FormatFailureLine(kComponent, step, hr));
    } catch (const std::bad_alloc&) {
        // The trail above has it.
    }
}

bool ActionData(MSIHANDLE install, std::wstring* data)
{
    wchar_t buffer[kActionDataLimit + 1] = {};
    DWORD length = kActionDataLimit + 1;
    if (MsiGetPropertyW(install, kActionData, buffer, &length) != ERROR_SUCCESS) {
        return false;
    }
    data->assign(buffer, length);
    return true;
}

// A property of at most limit characters; a longer one is refused, not cut.
bool Property(MSIHANDLE install, const wchar_t* name, DWORD limit, std::wstring* value)
{
    std::wstring buffer(limit + 1, L'\0');
    DWORD length = limit + 1;
    if (MsiGetPropertyW(install, name, buffer.data(), &length) != ERROR_SUCCESS) {
        return false;
    }
    value->assign(buffer, 0, length);
    return true;
}

bool SetLibraryFolder(MSIHANDLE install, const wchar_t* directoryId, const wchar_t* folderProperty)
{
    std::wstring directory;
    return Property(install, directoryId, kDirectoryLimit, &directory) &&
           MsiSetPropertyW(install, folderProperty, brw::LibraryFolderText(directory).c_str()) == ERROR_SUCCESS;
}

} // namespace

// Immediate, once the directories are resolved and before the registry is
// written: the folders the type libraries' keys name.
extern "C" UINT WINAPI SetLibraryFolders(MSIHANDLE install)
{
    try {
        if (!SetLibraryFolder(install, brw::kNotesDirectoryId, brw::kNotesLibraryFolderProperty) ||
            !SetLibraryFolder(install, brw::kProgramDirectoryId, brw::kProgramLibraryFolderProperty)) {
            LogFailure(install, L"set the type libraries' folders", E_FAIL);
            return ERROR_INSTALL_FAILURE;
        }
    } catch (const std::bad_alloc&) {
        LogFailure(install, L"set the type libraries' folders", E_OUTOFMEMORY);
        return ERROR_INSTALL_FAILURE;
    }
    return ERROR_SUCCESS;
}

// Immediate, before the installer checks for files in use: at removal,
// repair and upgrade the running connectors let go of their files.
extern "C" UINT WINAPI CloseConnector(MSIHANDLE install)
{
    try {
        const brw::CloseResult result =
            brw::CloseWindowsOfClass(brw::kConnectorWindowClass, brw::kConnectorCloseWaitMs);
        Log(install, L"connectors asked to close: " + std::to_wstring(result.asked) +
                         (result.allEnded ? L", all ended" : L", not all ended in time"));
    } catch (const std::bad_alloc&) {
        LogFailure(install, L"close the connector", E_OUTOFMEMORY);
    }
    return ERROR_SUCCESS;
}

// Deferred, elevated: the installing user's crawl root. Its data is the
// user's SID (the UserSID property, set for it by the installer).
extern "C" UINT WINAPI RegisterCrawlRoot(MSIHANDLE install)
{
    try {
        std::wstring sid;
        if (!ActionData(install, &sid) || !brw::IsSidText(sid)) {
            LogFailure(install, L"read the installing user's SID", E_INVALIDARG);
            return ERROR_SUCCESS;
        }
        brw::ComForThisCall com;
        const std::wstring url = brw::UserCrawlRootUrl(sid);
        const HRESULT hr = brw::AddCrawlRoot(url);
        if (FAILED(hr)) {
            LogFailure(install, L"add the crawl root", hr);
        } else {
            Log(install, L"crawl root " + url);
        }
    } catch (const std::bad_alloc&) {
        LogFailure(install, L"add the crawl root", E_OUTOFMEMORY);
    }
    return ERROR_SUCCESS;
}

// Deferred, elevated, at removal only (not when an upgrade removes the
// version it replaces): every brw:// root goes, as the handler's own
// registration clears them.
extern "C" UINT WINAPI RemoveCrawlRoots(MSIHANDLE)
{
    brw::RemoveOldCrawlRoots();
    return ERROR_SUCCESS;
}
