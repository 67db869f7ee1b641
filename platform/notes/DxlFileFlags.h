// The flags and encoding attributes of a DXL <file> element and the
// FILEOBJECT flag word they stand for, both ways.
#pragma once
#include <notesapi.h>

#include <string>

namespace dxl {

// flags: blank-separated tokens (sign, storedindoc, mime); encoding: one
// token (none, base64, quotedprintable, uuencode, unknown). Missing
// attributes and unknown tokens add nothing.
WORD FileFlagsFromDxl(const std::wstring& flags, const std::wstring& encoding);

// The tokens of the flag word, blank-separated; empty without flags.
std::wstring FileFlagTokens(WORD fileFlags);
std::wstring FileEncodingToken(WORD fileFlags);

} // namespace dxl
