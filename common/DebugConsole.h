// The debug console log: label-and-value lines written to the process's
// console when the user's DebugConsole setting is 1, and nothing otherwise.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace brw {

// The product's per-user settings key (under HKEY_CURRENT_USER) and the
// value that switches the console log on.
constexpr wchar_t kSettingsKeyPath[] = L"Software\\FenwoldInc\\BRW";
constexpr wchar_t kDebugConsoleValueName[] = L"DebugConsole";

// Reads the setting under root\keyPath now: on only for a REG_DWORD equal
// to 1; any other type or value, or no value at all, is off.
bool ReadDebugConsoleSetting(HKEY root, const wchar_t* keyPath) noexcept;

// The process's decision, read from HKEY_CURRENT_USER at the first call
// (from whichever thread) and kept until the process ends, so that every
// line of one run follows the same rule.
bool IsDebugConsoleOn() noexcept;

// The five line forms, a label and a value each. Null strings print as the
// CRT prints them, "(null)".
std::wstring FormatLongLine(const wchar_t* label, long value);           // "%s %ld\n"
std::wstring FormatTextLine(const wchar_t* label, const wchar_t* value); // "%s %s\n"
std::wstring FormatNarrowLine(const wchar_t* label, const char* value);  // "%s %S\n"
std::wstring FormatHexLine(const wchar_t* label, unsigned value);        // "%s %X\n"
std::wstring FormatHex0xLine(const wchar_t* label, unsigned value);      // "%s 0x%X\n"

// Writes text with WriteConsoleW. A null or invalid handle writes nothing;
// so does a handle that is not a console (a pipe or a file), because
// WriteConsoleW refuses those. Returns whether the console took the text.
bool WriteConsoleText(HANDLE output, std::wstring_view text) noexcept;

// Write to the current standard output when the log is on. They never fail
// visibly: a log that cannot be written is simply not written.
void LogString(const wchar_t* text) noexcept;
void LogLong(const wchar_t* label, long value) noexcept;
void LogText(const wchar_t* label, const wchar_t* value) noexcept;
void LogNarrow(const wchar_t* label, const char* value) noexcept;
void LogHex(const wchar_t* label, unsigned value) noexcept;
void LogHex0x(const wchar_t* label, unsigned value) noexcept;

} // namespace brw
