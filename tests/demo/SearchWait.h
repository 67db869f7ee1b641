#pragma once
// Waits for what a search finds to become what is expected, woken by the
// Windows Search stand-in's writes to its state folder rather than by a
// clock: each change there is followed by one more query.
#include <windows.h>

#include <string>

namespace brwdemo {

struct SearchOutcome {
    bool reached = false;
    int count = -1; // results at the last query; -1 when it failed
    ULONGLONG waitedMs = 0;
};

// Queries word with the stand-in's query program until it finds expected
// results or timeoutMs have passed.
SearchOutcome WaitForResultCount(const std::wstring& word, int expected, DWORD timeoutMs);

// The result count in the query program's JSON ("{"count":N,...").
int ResultCountOf(const std::string& json);

} // namespace brwdemo
