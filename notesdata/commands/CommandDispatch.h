#pragma once
// Runs one request: parse, pick the command by its element name, read its
// attributes, run it. The names compare exactly, case included.
#include "notesdata/commands/CmdBase.h"

#include <cstddef>

namespace brw {

class DomClass;

// The command's result, or 1 when the request is not XML or names no
// command of the table. The request's DOM comes from domClass when COM was
// initialised on the thread before the call (so the class object outlives
// the command).
int DispatchRequest(const CommandEntry* commands, size_t count, ReplyWriter* writer, const wchar_t* request,
                    DomClass* domClass = nullptr);

} // namespace brw
