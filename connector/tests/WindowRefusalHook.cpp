// A test's way to make one program fail to create its windows, as a desktop
// out of resources would: a computer-based-training hook that refuses the
// creation of every window of a named class. The test installs it for the
// whole desktop; it acts only in processes whose environment names the
// class, so the test passes the name to the program it starts and nothing
// else on the desktop is touched.
#include "connector/tests/WindowRefusalHook.h"

#include <windows.h>

namespace {

constexpr int kClassNameLimit = 256;

bool IsRefusedHere(HWND window)
{
    wchar_t refused[kClassNameLimit] = {};
    wchar_t name[kClassNameLimit] = {};
    const DWORD length = GetEnvironmentVariableW(brwtest::kRefusedWindowClassVariable, refused, kClassNameLimit);
    return length > 0 && length < kClassNameLimit && GetClassNameW(window, name, kClassNameLimit) > 0 &&
           lstrcmpiW(name, refused) == 0;
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK RefuseNamedWindowClass(int code, WPARAM wParam, LPARAM lParam)
{
    // A non-zero answer to HCBT_CREATEWND makes CreateWindowEx fail.
    if (code == HCBT_CREATEWND && IsRefusedHere(reinterpret_cast<HWND>(wParam))) {
        return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
