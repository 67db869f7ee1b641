// Where the stand-in keeps the state that every process shares: the crawl
// scope, the catalogue identity, the notification queue and the catalogue.
// Windows keeps all of this inside the search service; the stand-in has no
// service, so every process that uses it meets in one folder of the prefix,
// under one named mutex.
#pragma once

#include <windows.h>

#include <string>

namespace brw::winsearch {

// Names the folder instead of the default one; tests give each case its own,
// and child processes inherit it.
constexpr wchar_t kStateFolderVariable[] = L"BRW_WINSEARCH_STATE";

// The folder, created when missing: the variable above when it is set,
// otherwise "Brimlow Search Stand-in\SystemIndex" under the common
// application data folder. Empty when it cannot be made.
std::wstring StateFolder();

// folder + "\" + name.
std::wstring StatePath(const std::wstring& folder, const wchar_t* name);

// A kernel object name private to one state folder, so that tests with
// folders of their own never wait for one another: "Local\BrwSearchStandIn."
// + a hash of the folder + "." + purpose.
std::wstring StateObjectName(const std::wstring& folder, const wchar_t* purpose);

} // namespace brw::winsearch
