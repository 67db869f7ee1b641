#pragma once
// The user's Notes data directory as Notes itself keeps it (the
// "Directory" setting), read through the loaded Notes runtime.
#include <optional>
#include <string>

namespace brw {

// Nothing when Notes is not bound or has no such setting.
std::optional<std::wstring> ReadNotesDirectorySetting();

} // namespace brw
