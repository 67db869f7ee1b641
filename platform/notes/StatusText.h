// The texts OSLoadString gives for the stand-in's status codes.
#pragma once
#include <notesapi.h>

namespace statustext {
// Never null; an unknown code gets a generic text naming no code.
const char* Find(STATUS code) noexcept;
} // namespace statustext
