#include "platform/preview/RtfPreviewHandler.h"

#include <windows.h>
#include <richedit.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>

namespace brw {
namespace {

constexpr DWORD kControlStyle =
    WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | ES_NOHIDESEL;
// RichEdit 4.1 and later; the older control of riched20 where it is missing.
constexpr wchar_t kRichEditLibrary[] = L"Msftedit.dll";
constexpr wchar_t kRichEditClass[] = L"RICHEDIT50W";
constexpr wchar_t kOlderRichEditLibrary[] = L"riched20.dll";

// Where EM_STREAMIN reads from: the document and how much of it is read.
struct StreamSource {
    const std::string* document;
    std::size_t position;
};

DWORD CALLBACK ReadDocument(DWORD_PTR cookie, LPBYTE buffer, LONG wanted, LONG* given)
{
    auto* source = reinterpret_cast<StreamSource*>(cookie);
    const std::size_t left = source->document->size() - source->position;
    const std::size_t count = std::min<std::size_t>(left, static_cast<std::size_t>(std::max<LONG>(wanted, 0)));
    std::memcpy(buffer, source->document->data() + source->position, count);
    source->position += count;
    *given = static_cast<LONG>(count);
    return 0;
}

// The control's class: the newer one when its library loads. The libraries
// stay loaded for the process, as the controls' classes require.
const wchar_t* RichEditClass()
{
    if (LoadLibraryW(kRichEditLibrary)) {
        return kRichEditClass;
    }
    LoadLibraryW(kOlderRichEditLibrary);
    return RICHEDIT_CLASSW;
}

} // namespace

CRtfPreviewHandler::~CRtfPreviewHandler()
{
    Unload();
}

IFACEMETHODIMP CRtfPreviewHandler::Initialize(IStream* pstream, DWORD)
{
    if (!pstream) {
        return E_INVALIDARG;
    }
    if (initialized_) {
        return HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED);
    }
    try {
        std::string document;
        char buffer[8192];
        ULONG read = 0;
        HRESULT hr = S_OK;
        while (SUCCEEDED(hr = pstream->Read(buffer, sizeof(buffer), &read)) && read > 0) {
            if (document.size() + read > kLargestPreviewBytes) {
                return HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE);
            }
            document.append(buffer, read);
        }
        if (FAILED(hr)) {
            return hr;
        }
        document_ = std::move(document);
        initialized_ = true;
        return S_OK;
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

IFACEMETHODIMP CRtfPreviewHandler::SetWindow(HWND hwnd, const RECT* prc)
{
    if (!hwnd || !prc) {
        return E_INVALIDARG;
    }
    parent_ = hwnd;
    area_ = *prc;
    if (control_) {
        SetParent(control_, parent_);
        MoveWindow(control_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, TRUE);
    }
    return S_OK;
}

IFACEMETHODIMP CRtfPreviewHandler::SetRect(const RECT* prc)
{
    if (!prc) {
        return E_INVALIDARG;
    }
    area_ = *prc;
    if (control_) {
        MoveWindow(control_, area_.left, area_.top, area_.right - area_.left, area_.bottom - area_.top, TRUE);
    }
    return S_OK;
}

HRESULT CRtfPreviewHandler::CreateControl()
{
    control_ = CreateWindowExW(0, RichEditClass(), nullptr, kControlStyle, area_.left, area_.top,
                               area_.right - area_.left, area_.bottom - area_.top, parent_, nullptr, nullptr, nullptr);
    return control_ ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

HRESULT CRtfPreviewHandler::StreamDocumentIn()
{
    StreamSource source{&document_, 0};
    EDITSTREAM stream = {};
    stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
    stream.pfnCallback = &ReadDocument;
    SendMessageW(control_, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
    return stream.dwError == 0 ? S_OK : E_FAIL;
}

IFACEMETHODIMP CRtfPreviewHandler::DoPreview()
{
    if (!initialized_ || !parent_) {
        return E_UNEXPECTED;
    }
    if (control_) {
        return S_OK; // already showing
    }
    HRESULT hr = CreateControl();
    if (SUCCEEDED(hr)) {
        hr = StreamDocumentIn();
    }
    return hr;
}

IFACEMETHODIMP CRtfPreviewHandler::Unload()
{
    if (control_) {
        DestroyWindow(control_);
        control_ = nullptr;
    }
    document_.clear();
    initialized_ = false;
    return S_OK;
}

IFACEMETHODIMP CRtfPreviewHandler::SetFocus()
{
    if (control_) {
        ::SetFocus(control_);
    }
    return S_OK;
}

IFACEMETHODIMP CRtfPreviewHandler::QueryFocus(HWND* phwnd)
{
    if (!phwnd) {
        return E_INVALIDARG;
    }
    *phwnd = GetFocus();
    return *phwnd ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

IFACEMETHODIMP CRtfPreviewHandler::TranslateAccelerator(MSG*)
{
    return S_FALSE;
}

HRESULT CRtfPreviewHandler::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(CRtfPreviewHandler, IPreviewHandler),
        QITABENT(CRtfPreviewHandler, IInitializeWithStream),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

} // namespace brw
