#include "handler/shell/PreviewShellView.h"

#include "common/FailureTrail.h"
#include "common/ModulePath.h"
#include "handler/pipe/Requests.h"
#include "handler/protocol/OpenResult.h"
#include "handler/shell/PreviewHandlerHost.h"
#include "handler/shell/ResultFolderItems.h"
#include "handler/shell/ResultItem.h"

#include <windows.h>
#include <propsys.h>
#include <shlwapi.h>

#include <new>

namespace brw {
namespace {

constexpr wchar_t kComponent[] = L"Preview view";
constexpr DWORD kViewWindowStyle = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// PowerPoint's own preview handler is known to misbehave when hosted
// outside its own preview pane, so those attachments are not previewed.
bool IsNeverPreviewed(const std::wstring& extension)
{
    return CompareStringOrdinal(extension.c_str(), -1, L"ppt", -1, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(extension.c_str(), -1, L"pptx", -1, TRUE) == CSTR_EQUAL;
}

std::wstring FileTypeKey(const ParsedBrwUrl& parsed)
{
    return parsed.kind == UrlKind::Attachment ? L"." + parsed.extension : std::wstring(L".rtf");
}

} // namespace

// The class is registered with the first view and unregistered as the
// module unloads (UnregisterPreviewWindowClass).
HRESULT CBRWPreviewShellView::RegisterWindowClass(HINSTANCE module)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    if (GetClassInfoExW(module, kPreviewWindowClass, &windowClass)) {
        return S_OK;
    }
    windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = &CBRWPreviewShellView::WindowProcedure;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kPreviewWindowClass;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        return HRESULT_FROM_WIN32(GetLastError());
    }
    return S_OK;
}

namespace {
} // namespace

CBRWPreviewShellView::~CBRWPreviewShellView()
{
    TearDown();
}

void CBRWPreviewShellView::TearDown() noexcept
{
    if (handler_) {
        handler_->Unload();
        handler_.reset();
    }
    if (window_) {
        DestroyWindow(window_); // WM_NCDESTROY forgets the handle
        window_ = nullptr;
    }
    // Only after the handler let go of it: an open file cannot be deleted.
    file_.reset();
}

IFACEMETHODIMP CBRWPreviewShellView::GetWindow(HWND* phwnd)
{
    if (!phwnd) {
        return E_POINTER;
    }
    *phwnd = window_;
    return S_OK;
}

IFACEMETHODIMP CBRWPreviewShellView::ContextSensitiveHelp(BOOL)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CBRWPreviewShellView::TranslateAccelerator(MSG*)
{
    return S_FALSE;
}

IFACEMETHODIMP CBRWPreviewShellView::EnableModeless(BOOL)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CBRWPreviewShellView::UIActivate(UINT uState)
{
    if (uState == SVUIA_ACTIVATE_NOFOCUS && previousFocusKept_) {
        SetFocus(previousFocus_);
        previousFocusKept_ = false;
        previousFocus_ = nullptr;
    } else if (uState == SVUIA_ACTIVATE_FOCUS && handler_) {
        handler_->SetFocus();
    }
    return S_OK;
}

IFACEMETHODIMP CBRWPreviewShellView::Refresh()
{
    return E_NOTIMPL;
}

HRESULT CBRWPreviewShellView::ReadResultUrl(std::wstring* url)
{
    if (!folder_) {
        return E_UNEXPECTED;
    }
    PIDLIST_ABSOLUTE list = nullptr;
    HRESULT hr = folder_->GetCurFolder(&list);
    if (FAILED(hr)) {
        return hr;
    }
    folderList_.reset(list);
    // The result is the last item of the folder's list; the shell built the
    // list, the item inside it is read as any other.
    if (!ReadResultItem(ILFindLastID(folderList_.get()), url)) {
        return E_INVALIDARG;
    }
    return S_OK;
}

HRESULT CBRWPreviewShellView::FetchFile(const ParsedBrwUrl& parsed)
{
    if (file_) {
        return S_OK;
    }
    DocumentRequest what;
    what.preview = true;
    what.manage = false;
    std::wstring path;
    const HRESULT fetched = FetchResultFile(parsed, what, kComponent, &path);
    if (FAILED(fetched)) {
        return fetched;
    }
    auto file = std::make_unique<ConnectorFile>();
    file->Adopt(path);
    file_ = std::move(file);
    return S_OK;
}

HRESULT CBRWPreviewShellView::LoadHandler(const ParsedBrwUrl& parsed)
{
    ComPtr<IInitializeWithStream> withStream;
    if (SUCCEEDED(handler_.As(&withStream))) {
        HRESULT hr = FetchFile(parsed);
        if (FAILED(hr)) {
            return hr;
        }
        ComPtr<IStream> stream;
        if (SUCCEEDED(SHCreateStreamOnFileEx(file_->Path().c_str(), STGM_READ, 0, FALSE, nullptr, stream.put()))) {
            return withStream->Initialize(stream.get(), STGM_READ);
        }
    }
    ComPtr<IInitializeWithFile> withFile;
    if (SUCCEEDED(handler_.As(&withFile))) {
        if (SUCCEEDED(FetchFile(parsed))) {
            return withFile->Initialize(file_->Path().c_str(), STGM_READ);
        }
        return S_OK;
    }
    return S_OK; // hosted without content
}

HRESULT CBRWPreviewShellView::CreateWindowIn(IShellBrowser* browser, const RECT& area)
{
    browser_ = ComPtr<IShellBrowser>(browser);
    HRESULT hr = browser->GetWindow(&parent_);
    if (FAILED(hr)) {
        return hr;
    }
    const HINSTANCE module = ThisCodeModule();
    hr = RegisterWindowClass(module);
    if (FAILED(hr)) {
        return hr;
    }
    window_ = CreateWindowExW(0, kPreviewWindowClass, nullptr, kViewWindowStyle, area.left, area.top,
                              area.right - area.left, area.bottom - area.top, parent_, nullptr, module, this);
    return window_ ? S_OK : HRESULT_FROM_WIN32(GetLastError());
}

IFACEMETHODIMP CBRWPreviewShellView::CreateViewWindow(IShellView*, LPCFOLDERSETTINGS pfs, IShellBrowser* psb,
                                                      RECT* prcView, HWND* phWnd)
{
    if (!phWnd) {
        return E_POINTER;
    }
    *phWnd = nullptr;
    if (!pfs || !psb || !prcView) {
        return E_INVALIDARG;
    }
    if (window_) {
        return E_UNEXPECTED; // one window per view
    }
    try {
        std::wstring url;
        HRESULT hr = ReadResultUrl(&url);
        ParsedBrwUrl parsed;
        if (SUCCEEDED(hr) && !ParseBrwUrl(url.c_str(), &parsed)) {
            hr = E_INVALIDARG;
        }
        if (FAILED(hr)) {
            TraceFailure(kComponent, L"read the result", hr);
            return hr;
        }
        settings_ = *pfs;
        if (IsNeverPreviewed(parsed.extension)) {
            return S_OK;
        }
        CLSID handlerClass = {};
        hr = FindPreviewHandlerClass(FileTypeKey(parsed), &handlerClass);
        if (SUCCEEDED(hr)) {
            hr = CreatePreviewHandler(handlerClass, nullptr, handler_.put());
        }
        if (SUCCEEDED(hr)) {
            hr = LoadHandler(parsed);
        }
        if (SUCCEEDED(hr)) {
            hr = CreateWindowIn(psb, *prcView);
        }
        if (FAILED(hr)) {
            TraceFailure(kComponent, L"create the preview", hr);
            TearDown();
            return hr;
        }
        *phWnd = window_;
        return S_OK;
    } catch (const std::bad_alloc&) {
        TearDown();
        return E_OUTOFMEMORY;
    }
}

IFACEMETHODIMP CBRWPreviewShellView::DestroyViewWindow()
{
    TearDown();
    return S_OK;
}

IFACEMETHODIMP CBRWPreviewShellView::GetCurrentInfo(LPFOLDERSETTINGS pfs)
{
    if (!pfs) {
        return E_POINTER;
    }
    *pfs = settings_;
    return S_OK;
}

IFACEMETHODIMP CBRWPreviewShellView::AddPropertySheetPages(DWORD, LPFNSVADDPROPSHEETPAGE, LPARAM)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CBRWPreviewShellView::SaveViewState()
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CBRWPreviewShellView::SelectItem(PCUITEMID_CHILD, SVSIF)
{
    return E_NOTIMPL;
}

IFACEMETHODIMP CBRWPreviewShellView::GetItemObject(UINT, REFIID, void** ppv)
{
    if (ppv) {
        *ppv = nullptr;
    }
    return E_NOTIMPL;
}

void CBRWPreviewShellView::OnCreate()
{
    RECT client = {};
    GetClientRect(window_, &client);
    const HWND focus = GetFocus();
    previousFocus_ = focus;
    previousFocusKept_ = focus != nullptr;
    if (handler_) {
        handler_->SetWindow(window_, &client);
        const HRESULT hr = handler_->DoPreview();
        if (FAILED(hr)) {
            TraceFailure(kComponent, L"DoPreview", hr);
        }
    }
}

LRESULT CBRWPreviewShellView::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate();
        return 0;
    case WM_SIZE:
        if (handler_) {
            RECT client = {};
            GetClientRect(window_, &client);
            handler_->SetRect(&client);
        }
        return 0;
    case WM_SETFOCUS:
        if (handler_) {
            handler_->SetFocus();
        }
        return 0;
    default:
        return DefWindowProcW(window_, message, wParam, lParam);
    }
}

LRESULT CALLBACK CBRWPreviewShellView::WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* view = static_cast<CBRWPreviewShellView*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        view->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
    }
    auto* view = reinterpret_cast<CBRWPreviewShellView*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY && view) {
        // Destroyed with its parent: the view must not hold the handle on.
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        view->window_ = nullptr;
        view = nullptr;
    }
    return view ? view->OnMessage(message, wParam, lParam) : DefWindowProcW(window, message, wParam, lParam);
}

HRESULT CBRWPreviewShellView::QueryOwnInterface(REFIID riid, void** ppv)
{
    static const QITAB kInterfaces[] = {
        QITABENT(CBRWPreviewShellView, IShellView),
        QITABENTMULTI(CBRWPreviewShellView, IOleWindow, IShellView),
        {},
    };
    return QISearch(this, kInterfaces, riid, ppv);
}

HRESULT CreatePreviewShellView(IPersistFolder2* folder, REFIID riid, void** ppv) noexcept
{
    if (!ppv) {
        return E_POINTER;
    }
    *ppv = nullptr;
    CBRWPreviewShellView* view = ConstructOrNull<CBRWPreviewShellView>();
    if (view) {
        view->SetFolder(folder);
    }
    return InitializeAndQuery(view, riid, ppv);
}

void UnregisterPreviewWindowClass(HINSTANCE module) noexcept
{
    UnregisterClassW(kPreviewWindowClass, module);
}

} // namespace brw
