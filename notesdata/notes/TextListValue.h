#pragma once
// The entries of a text list value (after its type word): a LIST header, a
// 16-bit length per entry, then the entries' bytes. Values come from
// database files, so a list whose lengths run past the value is refused.
#include <windows.h>

#include <string_view>
#include <vector>

namespace brw {

// False (and no entries) when the value is shorter than its header and
// lengths say.
bool ReadTextList(const char* value, DWORD length, std::vector<std::string_view>* entries);

} // namespace brw
