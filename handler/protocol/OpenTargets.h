// What opening a result may hand to the shell. A brw: link can arrive from a
// web page or a mail, so every piece of it is checked here before it becomes
// a command line for the Notes client or a file for the shell.
#pragma once
#include "handler/protocol/BrwUrl.h"

#include <windows.h>

#include <string>

namespace brw {

constexpr wchar_t kNotesUrlPrefix[] = L"notes:///";
constexpr wchar_t kNotesNoteSeparator[] = L"/0/";

// The Notes client receives the target as a quoted %1 and reads a leading
// "=" or "-" as a switch: a path with a quote, a control character or such a
// start could add switches of its own, so it builds no target.
bool IsSafeNotesDatabasePath(const std::wstring& path);
// 1 to 8 hex digits, nothing else.
bool IsNoteIdText(const std::wstring& noteId);

// "notes:///" + path; false (target untouched) for an unsafe path.
bool MakeNotesDatabaseTarget(const std::wstring& databasePath, std::wstring* target);
// "notes:///" + path + "/0/" + note id; false for an unsafe path or id.
bool MakeNotesDocumentTarget(const std::wstring& databasePath, const std::wstring& noteId, std::wstring* target);

// True when path names a file strictly below folder once both are made
// absolute ("." and ".." resolved); device and long-path forms, alternate
// streams and control characters never qualify.
bool LiesUnderFolder(const std::wstring& path, const std::wstring& folder);

// Types that run code when opened: what the system counts as dangerous,
// and our own list for systems that count less.
bool IsDangerousFileType(const std::wstring& path);

} // namespace brw
