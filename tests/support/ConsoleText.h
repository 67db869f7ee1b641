#pragma once
// What the console this process is attached to shows, line by line with
// trailing blanks removed; empty when there is no console.
#include <string>

namespace brwtest {

std::wstring ConsoleText();

} // namespace brwtest
