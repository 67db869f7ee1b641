#include "tests/support/WindowPicture.h"

#include "common/ComHolders.h"
#include "common/Handles.h"

#include <wincodec.h>

namespace brwtest {
namespace {

struct ScreenDcReleaser {
    using pointer = HDC;
    static pointer Invalid() { return nullptr; }
    static bool IsValid(pointer dc) { return dc != nullptr; }
    static void Close(pointer dc) { ReleaseDC(nullptr, dc); }
};
struct MemoryDcDeleter {
    using pointer = HDC;
    static pointer Invalid() { return nullptr; }
    static bool IsValid(pointer dc) { return dc != nullptr; }
    static void Close(pointer dc) { DeleteDC(dc); }
};
struct BitmapDeleter {
    using pointer = HBITMAP;
    static pointer Invalid() { return nullptr; }
    static bool IsValid(pointer bitmap) { return bitmap != nullptr; }
    static void Close(pointer bitmap) { DeleteObject(bitmap); }
};

HRESULT EncodePng(IWICImagingFactory* factory, IWICBitmap* image, const std::wstring& path)
{
    brw::ComPtr<IWICStream> stream;
    HRESULT hr = factory->CreateStream(stream.put());
    if (SUCCEEDED(hr)) {
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    }
    brw::ComPtr<IWICBitmapEncoder> encoder;
    if (SUCCEEDED(hr)) {
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.put());
    }
    if (SUCCEEDED(hr)) {
        hr = encoder->Initialize(stream.get(), WICBitmapEncoderNoCache);
    }
    brw::ComPtr<IWICBitmapFrameEncode> frame;
    if (SUCCEEDED(hr)) {
        hr = encoder->CreateNewFrame(frame.put(), nullptr);
    }
    if (SUCCEEDED(hr)) {
        hr = frame->Initialize(nullptr);
    }
    if (SUCCEEDED(hr)) {
        hr = frame->WriteSource(image, nullptr);
    }
    if (SUCCEEDED(hr)) {
        hr = frame->Commit();
    }
    return SUCCEEDED(hr) ? encoder->Commit() : hr;
}

HRESULT SavePng(HBITMAP bitmap, const std::wstring& path)
{
    brw::ComPtr<IWICImagingFactory> factory;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                  factory.put_void());
    brw::ComPtr<IWICBitmap> image;
    if (SUCCEEDED(hr)) {
        hr = factory->CreateBitmapFromHBITMAP(bitmap, nullptr, WICBitmapIgnoreAlpha, image.put());
    }
    return SUCCEEDED(hr) ? EncodePng(factory.get(), image.get(), path) : hr;
}

// The part in screen coordinates; empty when the window has none.
RECT ScreenArea(HWND window, PictureArea part)
{
    RECT area = {};
    GetClientRect(window, &area);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    // A one-line menu bar lies right above the client area. (The bar's
    // own rectangle is not given out for another process's window.)
    if (part == PictureArea::MenuAndClient && GetMenu(window) != nullptr) {
        area.top -= GetSystemMetrics(SM_CYMENU) + 1;
    }
    return area;
}

} // namespace

HRESULT SaveWindowPicture(HWND window, PictureArea part, const std::wstring& pngPath)
{
    const RECT area = ScreenArea(window, part);
    if (area.right <= area.left || area.bottom <= area.top) {
        return E_INVALIDARG;
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    const brw::UniqueResource<ScreenDcReleaser> screen(GetDC(nullptr));
    const brw::UniqueResource<MemoryDcDeleter> memory(CreateCompatibleDC(screen.get()));
    const brw::UniqueResource<BitmapDeleter> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
    if (!screen || !memory || !bitmap) {
        return E_FAIL;
    }
    const HGDIOBJ previous = SelectObject(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
    SelectObject(memory.get(), previous);
    return SavePng(bitmap.get(), pngPath);
}

} // namespace brwtest
