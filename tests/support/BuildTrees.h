#pragma once
// Where the programs of each build tree are, as Windows paths, so a test of
// one architecture can start a program of the other.
#include <string>

namespace brwtest {

// Full path of a binary built in the 32-bit or the 64-bit tree, for example
// BinaryIn32BitTree(L"consolehost\\BRWHC.exe").
std::wstring BinaryIn32BitTree(const std::wstring& relativePath);
std::wstring BinaryIn64BitTree(const std::wstring& relativePath);

// The folder of the running test program.
std::wstring ThisProgramFolder();

// "path" with quotes, for a command line.
std::wstring Quoted(const std::wstring& path);

} // namespace brwtest
