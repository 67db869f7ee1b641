// BRW: the program Windows starts for brw: links. Until URLs can be parsed
// there is nothing to open, and it says so through its exit code.
#include "handler/protocol/ProcessUrl.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    return ProcessURL(L"o", L"");
}
