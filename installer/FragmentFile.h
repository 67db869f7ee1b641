// Writes what a registration generator makes where the build asked for it:
// the WiX fragment, and the type library the deliverable would build beside
// itself when it registers.
#pragma once

#include "common/TypeLibrary.h"

#include <string>

namespace brw {

// The generators' main: "<generator> OUTPUT.wxs LIBRARY.tlb" writes the
// fragment's text and builds the library. Returns the process exit code: 0
// both written, 1 with a message on standard error otherwise.
int WriteGeneratedFiles(int argc, wchar_t** argv, const std::string& fragment, const TypeLibraryDescription& library);

} // namespace brw
