#include "connector/NotesDirectorySetting.h"

#include "connector/LateBinding.h"

#include <windows.h>
#include <notesapi.h>

namespace brw {
namespace {

constexpr char kDirectorySetting[] = "Directory";
// Notes keeps a path setting in at most MAXPATH bytes of its own text.
constexpr WORD kSettingBytes = MAXPATH;

} // namespace

std::optional<std::wstring> ReadNotesDirectorySetting()
{
    const NotesRuntimeCalls* notes = NotesRuntime();
    if (notes == nullptr) {
        return std::nullopt;
    }
    char setting[kSettingBytes + 1] = {};
    if (!notes->getEnvironmentString(kDirectorySetting, setting, kSettingBytes) || setting[0] == '\0') {
        return std::nullopt;
    }
    const WORD length = static_cast<WORD>(strnlen(setting, kSettingBytes));
    // Every byte of Notes text becomes at most one UTF-16 unit.
    wchar_t wide[kSettingBytes + 1] = {};
    const WORD written = notes->translate(OS_TRANSLATE_LMBCS_TO_UNICODE, setting, length, reinterpret_cast<char*>(wide),
                                          kSettingBytes * sizeof(wchar_t));
    if (written == 0) {
        return std::nullopt;
    }
    return std::wstring(wide, written / sizeof(wchar_t));
}

} // namespace brw
