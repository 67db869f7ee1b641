// Stands in for a running connector: a top-level window of the class named
// on the command line in a process of its own.
//   ConnectorWindowDouble CLASS [--ignore-close]
// Prints "ready" once the window exists; with --ignore-close it stays open
// when asked to close (a connector too busy to answer). Exit code 0 after
// WM_CLOSE ended it.
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

bool g_ignoreClose = false;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        if (!g_ignoreClose) {
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2) {
        std::fputs("usage: ConnectorWindowDouble CLASS [--ignore-close]\n", stderr);
        return 2;
    }
    g_ignoreClose = argc > 2 && std::wcscmp(argv[2], L"--ignore-close") == 0;
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = argv[1];
    if (!RegisterClassW(&windowClass) ||
        !CreateWindowExW(0, argv[1], L"connector double", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                         CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, windowClass.hInstance, nullptr)) {
        return 3;
    }
    std::puts("ready");
    std::fflush(stdout);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
