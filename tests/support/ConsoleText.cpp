#include "tests/support/ConsoleText.h"

#include "common/Handles.h"

#include <windows.h>

namespace brwtest {

std::wstring ConsoleText()
{
    brw::FileHandle out(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (!out || !GetConsoleScreenBufferInfo(out.get(), &info)) {
        return {};
    }
    std::wstring text;
    SHORT width = info.dwSize.X;
    for (SHORT row = 0; row <= info.dwCursorPosition.Y; ++row) {
        std::wstring line(width, L' ');
        DWORD read = 0;
        ReadConsoleOutputCharacterW(out.get(), line.data(), width, COORD{0, row}, &read);
        line.resize(line.find_last_not_of(L' ') + 1);
        if (!line.empty()) {
            text += line + L"\n";
        }
    }
    return text;
}

} // namespace brwtest
