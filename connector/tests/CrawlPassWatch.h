#pragma once
// The connector's crawl pass as another process sees it: the pass records a
// time in the settings for each database it walked, so a database listed
// without a time gets one at the end of the next pass. The program's tests
// and its benchmark wait on that change instead of on a clock.
#include <windows.h>

#include <string>

namespace brwtest {

// Lists the database for the crawl with no recorded time: the next pass
// takes all its documents and records a time.
bool ListWithoutRecordedTime(const std::wstring& databasePath);

// The time recorded for the database; empty when none is.
std::wstring RecordedTime(const std::wstring& databasePath);

// Waits, by the registry's change notices, until a time is recorded for the
// database; false after timeoutMs or as soon as the connector ended.
bool WaitForRecordedTime(const std::wstring& databasePath, HANDLE connector, DWORD timeoutMs);

} // namespace brwtest
