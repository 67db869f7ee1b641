// The ID password prompt. The ID file named by KeyFilename= is a small text
// file of ours: "Name=<hierarchical name>" and, when it carries a password,
// "PasswordHash=<16 hex digits>" (PasswordHash below). The first database
// open of a process shows a modal dialog like the client's until the right
// password is typed or the user cancels.
#pragma once
#include <notesapi.h>

#include <string>

namespace password {

constexpr int kIdentityItem = 100;
constexpr int kPasswordItem = 101;

std::string PasswordHash(const std::string& userName, const std::string& password);
STATUS PromptIfNeeded();

} // namespace password
