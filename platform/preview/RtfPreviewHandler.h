// The stand-ins' preview handler for RTF: a read-only RichEdit control in the
// host's window, showing the document the host hands over as a stream. A
// Windows machine has its own RTF preview handler; this one stands in for it
// in demo prefixes, where Wine has none.
#pragma once
#include "common/ComObject.h"

#include <windows.h>
#include <propsys.h>
#include <shobjidl.h>

#include <string>

namespace brw {

// {3C7E9D52-8B14-4F6A-A0D3-5E21C9B47F68}
constexpr CLSID kRtfPreviewHandlerClsid = {
    0x3C7E9D52, 0x8B14, 0x4F6A, {0xA0, 0xD3, 0x5E, 0x21, 0xC9, 0xB4, 0x7F, 0x68}};

// Larger documents are not previewed: the preview is a glance, not a reader.
constexpr ULONG kLargestPreviewBytes = 16 * 1024 * 1024;

class CRtfPreviewHandler final : public ComObject<IPreviewHandler, IInitializeWithStream> {
public:
    CRtfPreviewHandler() noexcept = default;

    // IInitializeWithStream
    IFACEMETHODIMP Initialize(IStream* pstream, DWORD grfMode) override;
    using ComObject::Initialize;

    // IPreviewHandler
    IFACEMETHODIMP SetWindow(HWND hwnd, const RECT* prc) override;
    IFACEMETHODIMP SetRect(const RECT* prc) override;
    IFACEMETHODIMP DoPreview() override;
    IFACEMETHODIMP Unload() override;
    IFACEMETHODIMP SetFocus() override;
    IFACEMETHODIMP QueryFocus(HWND* phwnd) override;
    IFACEMETHODIMP TranslateAccelerator(MSG* pmsg) override;

    // The control showing the document, once DoPreview made it.
    HWND Control() const noexcept { return control_; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override;

private:
    ~CRtfPreviewHandler() override;

    HRESULT CreateControl();
    HRESULT StreamDocumentIn();

    bool initialized_ = false;
    std::string document_;
    HWND parent_ = nullptr;
    RECT area_ = {};
    HWND control_ = nullptr;
};

} // namespace brw
