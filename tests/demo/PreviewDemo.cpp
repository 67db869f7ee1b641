// The preview pane of one search result, as Explorer would show it, saved as
// a picture for the documentation:
//   brw_demo_preview <brw URL> <PNG file>
// The result folder and its view come from the registered BRWHandler.dll,
// the preview handler from the registration of the file type.
#include "common/ComHolders.h"
#include "common/Handles.h"
#include "handler/shell/SearchResult.h"
#include "tests/support/FrameShellBrowser.h"
#include "tests/support/WindowPicture.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kFrameWidth = 760;
constexpr int kFrameHeight = 520;
constexpr wchar_t kFrameClass[] = L"BrimlowPreviewDemoFrame";

struct WindowDestroyer {
    using pointer = HWND;
    static pointer Invalid() { return nullptr; }
    static bool IsValid(pointer window) { return window != nullptr; }
    static void Close(pointer window) { DestroyWindow(window); }
};
using WindowHandle = brw::UniqueResource<WindowDestroyer>;

// The result's ID list as the shell's delegate allocator lays it out: the
// delegate header, the URL's length, the URL with its NUL, a terminator.
std::vector<BYTE> ResultIdList(const std::wstring& url)
{
    const WORD size = WORD(8 + 2 * (url.size() + 1));
    std::vector<BYTE> list(size + 2, 0);
    const WORD inner = WORD(size - 6);
    const WORD length = WORD(url.size());
    std::memcpy(&list[0], &size, 2);
    std::memcpy(&list[4], &inner, 2);
    std::memcpy(&list[6], &length, 2);
    std::memcpy(&list[8], url.c_str(), 2 * (url.size() + 1));
    return list;
}

// Lets the windows paint: the messages that arrive within a short while.
void PumpFor(DWORD milliseconds)
{
    const DWORD end = GetTickCount() + milliseconds;
    for (DWORD now = GetTickCount(); now < end; now = GetTickCount()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, end - now, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

HWND CreateFrame()
{
    WNDCLASSEXW frameClass = {};
    frameClass.cbSize = sizeof(frameClass);
    frameClass.lpfnWndProc = DefWindowProcW;
    frameClass.hInstance = GetModuleHandleW(nullptr);
    frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    frameClass.lpszClassName = kFrameClass;
    RegisterClassExW(&frameClass);
    return CreateWindowExW(0, kFrameClass, L"Brimlow Search - preview", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 20, 20,
                           kFrameWidth, kFrameHeight, nullptr, nullptr, frameClass.hInstance, nullptr);
}

int Fail(const char* step, HRESULT hr)
{
    std::fprintf(stderr, "brw_demo_preview: %s failed 0x%08lX\n", step, static_cast<unsigned long>(hr));
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: brw_demo_preview <brw URL> <PNG file>\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 0;
    {
        const WindowHandle frame(CreateFrame());
        ShowWindow(frame.get(), SW_SHOW);
        brw::ComPtr<IPersistFolder2> folder;
        HRESULT hr = CoCreateInstance(brw::kSearchResultClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPersistFolder2,
                                      folder.put_void());
        if (FAILED(hr)) {
            return Fail("the result folder", hr);
        }
        const std::vector<BYTE> list = ResultIdList(argv[1]);
        hr = folder->Initialize(reinterpret_cast<PCIDLIST_ABSOLUTE>(list.data()));
        brw::ComPtr<IShellFolder> shellFolder;
        brw::ComPtr<IShellView> view;
        if (SUCCEEDED(hr)) {
            hr = folder.As(&shellFolder);
        }
        if (SUCCEEDED(hr)) {
            hr = shellFolder->CreateViewObject(frame.get(), IID_IShellView, view.put_void());
        }
        if (FAILED(hr)) {
            return Fail("the preview view", hr);
        }
        brw::ComPtr<brwtest::FrameShellBrowser> browser;
        browser.Attach(new brwtest::FrameShellBrowser(frame.get()));
        RECT client = {};
        GetClientRect(frame.get(), &client);
        FOLDERSETTINGS settings = {FVM_DETAILS, 0};
        HWND window = nullptr;
        hr = view->CreateViewWindow(nullptr, &settings, browser.get(), &client, &window);
        if (FAILED(hr)) {
            return Fail("the preview window", hr);
        }
        PumpFor(1500);
        hr = brwtest::SaveWindowPicture(frame.get(), brwtest::PictureArea::Client, argv[2]);
        if (FAILED(hr)) {
            result = Fail("the picture", hr);
        } else {
            std::printf("saved the preview\n");
        }
        view->DestroyViewWindow();
    }
    CoUninitialize();
    return result;
}
