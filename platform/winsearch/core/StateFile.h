// The small text files of the state folder: UTF-8, one record a line, fields
// separated by tabs. They are read whole (with a size limit, since anyone
// could have written them) and replaced whole, so a reader sees either the
// old or the new file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace brw::winsearch {

// Larger files are refused: the state of a test or demo catalogue is a few
// kilobytes, and the notification queue is drained continually.
constexpr DWORD kMaxStateFileBytes = 16 * 1024 * 1024;

// S_OK with the text, S_FALSE with empty text when the file does not exist,
// an error when it cannot be read or is too large.
HRESULT ReadStateFile(const std::wstring& path, std::wstring* text);

// Writes a temporary file beside it and moves it over the old one.
HRESULT ReplaceStateFile(const std::wstring& path, const std::wstring& text);

// Adds text at the end, creating the file.
HRESULT AppendStateFile(const std::wstring& path, const std::wstring& text);

// Lines split into tab-separated fields; empty lines are dropped.
std::vector<std::vector<std::wstring>> SplitRecords(const std::wstring& text);

// True when text can be one field: no tab, no line break, no NUL.
bool IsFieldSafe(const std::wstring& text) noexcept;

} // namespace brw::winsearch
