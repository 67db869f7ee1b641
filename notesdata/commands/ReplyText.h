#pragma once
// Text a command copies into its reply from a database or the file system.
// "&", "<" and ">" are written as entities, so that no field name, value or
// attachment name can forge reply elements: the handler deletes and opens
// the files that replies name. A NUL (how Notes stores a line break inside
// a text value) is written as CR LF: the reader takes a NUL for the end of
// the reply.
#include "notesdata/commands/ExecuteCommand.h"

#include <string>

namespace brw {

HRESULT AppendEscaped(ReplyWriter* writer, const wchar_t* text, size_t length);
inline HRESULT AppendEscaped(ReplyWriter* writer, const std::wstring& text)
{
    return AppendEscaped(writer, text.data(), text.size());
}

std::wstring EscapedText(const std::wstring& text);

// "<name>" escaped text "</name>".
HRESULT WriteTextElement(ReplyWriter* writer, const wchar_t* name, const std::wstring& text);

} // namespace brw
