// Writes a generated fragment where the build asked for it.
#pragma once

#include <string>

namespace brw {

// The generators' main: writes text to the path of the command line's only
// argument. Returns the process exit code: 0 written, 1 with a message on
// standard error otherwise.
int WriteFragmentFile(int argc, wchar_t** argv, const std::string& text);

} // namespace brw
