#include "connector/tests/CrawlPassWatch.h"

#include "common/Handles.h"
#include "connector/SettingsStore.h"
#include "tests/support/TestRegistry.h"

namespace brwtest {
namespace {

// A recorded time is a short date and time text.
constexpr DWORD kTimeTextLimit = 128;

} // namespace

bool ListWithoutRecordedTime(const std::wstring& databasePath)
{
    return SetString(HKEY_CURRENT_USER, brw::settings::kDatabasesKeyPath, databasePath, L"");
}

std::wstring RecordedTime(const std::wstring& databasePath)
{
    const brw::RegKey list = brw::settings::OpenForReading(HKEY_CURRENT_USER, brw::settings::kDatabasesKeyPath);
    wchar_t text[kTimeTextLimit + 1] = {};
    DWORD bytes = kTimeTextLimit * sizeof(wchar_t);
    DWORD type = 0;
    if (!list ||
        RegQueryValueExW(list.get(), databasePath.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return {};
    }
    return text;
}

bool WaitForRecordedTime(const std::wstring& databasePath, HANDLE connector, DWORD timeoutMs)
{
    const brw::RegKey list = brw::settings::OpenForReading(HKEY_CURRENT_USER, brw::settings::kDatabasesKeyPath);
    const brw::KernelHandle changed(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!list || !changed) {
        return false;
    }
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        // Asked for before looking, so that a change between the look and
        // the wait is not missed.
        constexpr BOOL kKeyOnly = FALSE;
        constexpr BOOL kSignalEvent = TRUE;
        if (RegNotifyChangeKeyValue(list.get(), kKeyOnly, REG_NOTIFY_CHANGE_LAST_SET, changed.get(), kSignalEvent) !=
            ERROR_SUCCESS) {
            return false;
        }
        if (!RecordedTime(databasePath).empty()) {
            return true;
        }
        const ULONGLONG now = GetTickCount64();
        const HANDLE events[] = {changed.get(), connector};
        if (now >= deadline ||
            WaitForMultipleObjects(2, events, FALSE, static_cast<DWORD>(deadline - now)) != WAIT_OBJECT_0) {
            return false;
        }
    }
}

} // namespace brwtest
