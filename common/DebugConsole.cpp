#include "common/DebugConsole.h"

#include "common/Handles.h"
#include "common/WideString.h"

#include <new>

namespace brw {

namespace {

constexpr wchar_t kLongLineFormat[] = L"%s %ld\n";
constexpr wchar_t kTextLineFormat[] = L"%s %s\n";
constexpr wchar_t kNarrowLineFormat[] = L"%s %S\n";
constexpr wchar_t kHexLineFormat[] = L"%s %X\n";
constexpr wchar_t kHex0xLineFormat[] = L"%s 0x%X\n";

constexpr DWORD kDebugConsoleOn = 1;

// Builds the line only when it will be written, so that a quiet process pays
// nothing. A line that cannot be built for lack of memory is dropped, just
// as one that cannot be written is: logging never changes a call's outcome.
template <typename BuildLine>
void LogLine(BuildLine build) noexcept
{
    if (!IsDebugConsoleOn()) {
        return;
    }
    try {
        WriteConsoleText(GetStdHandle(STD_OUTPUT_HANDLE), build());
    } catch (const std::bad_alloc&) {
    }
}

} // namespace

bool ReadDebugConsoleSetting(HKEY root, const wchar_t* keyPath) noexcept
{
    RegKey key;
    if (RegOpenKeyExW(root, keyPath, 0, KEY_QUERY_VALUE, key.put()) != ERROR_SUCCESS) {
        return false;
    }
    DWORD type = REG_NONE;
    DWORD data = 0;
    DWORD size = sizeof(data);
    const LONG status =
        RegQueryValueExW(key.get(), kDebugConsoleValueName, nullptr, &type, reinterpret_cast<BYTE*>(&data), &size);
    return status == ERROR_SUCCESS && type == REG_DWORD && size == sizeof(data) && data == kDebugConsoleOn;
}

bool IsDebugConsoleOn() noexcept
{
    static const bool on = ReadDebugConsoleSetting(HKEY_CURRENT_USER, kSettingsKeyPath);
    return on;
}

std::wstring FormatLongLine(const wchar_t* label, long value)
{
    return FormatText(kLongLineFormat, label, value);
}

std::wstring FormatTextLine(const wchar_t* label, const wchar_t* value)
{
    return FormatText(kTextLineFormat, label, value);
}

std::wstring FormatNarrowLine(const wchar_t* label, const char* value)
{
    return FormatText(kNarrowLineFormat, label, value);
}

std::wstring FormatHexLine(const wchar_t* label, unsigned value)
{
    return FormatText(kHexLineFormat, label, value);
}

std::wstring FormatHex0xLine(const wchar_t* label, unsigned value)
{
    return FormatText(kHex0xLineFormat, label, value);
}

bool WriteConsoleText(HANDLE output, std::wstring_view text) noexcept
{
    if (output == nullptr || output == INVALID_HANDLE_VALUE || text.size() > MAXDWORD) {
        return false;
    }
    DWORD written = 0;
    return WriteConsoleW(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != FALSE;
}

void LogString(const wchar_t* text) noexcept
{
    if (text) {
        LogLine([text] { return std::wstring_view(text); });
    }
}

void LogLong(const wchar_t* label, long value) noexcept
{
    LogLine([=] { return FormatLongLine(label, value); });
}

void LogText(const wchar_t* label, const wchar_t* value) noexcept
{
    LogLine([=] { return FormatTextLine(label, value); });
}

void LogNarrow(const wchar_t* label, const char* value) noexcept
{
    LogLine([=] { return FormatNarrowLine(label, value); });
}

void LogHex(const wchar_t* label, unsigned value) noexcept
{
    LogLine([=] { return FormatHexLine(label, value); });
}

void LogHex0x(const wchar_t* label, unsigned value) noexcept
{
    LogLine([=] { return FormatHex0xLine(label, value); });
}

} // namespace brw
