#pragma once
// The connector installed as a user has it, for the program's tests and its
// benchmark: the program and its libraries in a Notes program folder of the
// stand-in client, a Notes data directory with a mail file, the Notes key
// naming the folder; and the pipe asked as the protocol handler asks it.
#include "tests/support/ProcessRun.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace brwtest {

inline constexpr wchar_t kConnectorNotesKey[] = L"SOFTWARE\\Lotus\\Notes";
inline constexpr wchar_t kConnectorTestUser[] = L"CN=Jane Doe/O=Acme";

// Fills programFolder (made here) and programFolder\data; an empty password
// gives an ID without one, so Notes never asks. An empty result is success,
// otherwise it says what failed.
std::string InstallConnector(const std::wstring& programFolder, const std::wstring& password);

// Points the Notes key (32-bit view) at folder.
bool RegisterNotesFolder(const std::wstring& folder);

// Starts the program as Explorer does: no console, no captured output.
std::unique_ptr<RunningProcess> StartConnector(const std::wstring& programFolder);

// One request and its whole reply; nothing when the pipe cannot be used.
std::optional<std::vector<BYTE>> AskConnectorPipe(const std::wstring& request);

// Asks until the pipe answers, at most timeoutMs; each turn waits on the
// connector's process, so one that ends stops the wait at once.
std::optional<std::vector<BYTE>> AskOnceServing(RunningProcess& connector, const std::wstring& request,
                                                DWORD timeoutMs);

std::wstring ReplyText(const std::vector<BYTE>& bytes);

} // namespace brwtest
