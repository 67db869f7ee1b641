// The package's custom actions: the steps Windows Installer tables cannot
// express. Each entry point catches at its boundary, notes what failed in
// the installation's log and never fails the installation: a crawl root the
// connector can add later, or a connector still running, is no reason to
// leave a machine half installed.
#include "common/FailureTrail.h"
#include "handler/module/ComForThisCall.h"
#include "handler/module/CrawlRoots.h"
#include "installer/ConnectorClose.h"
#include "installer/CrawlRootSetup.h"

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

} // namespace

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
