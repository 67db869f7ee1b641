// The preview view hosting the test preview handler in a real window under
// a test shell browser: what the handler is given, resizing, focus, and what
// is left behind when the view is destroyed.
#include "common/ComHolders.h"
#include "common/Handles.h"
#include "handler/shell/PreviewHandlerHost.h"
#include "handler/shell/PreviewShellView.h"
#include "handler/shell/SearchResult.h"
#include "handler/tests/FilterTestSupport.h"
#include "handler/tests/ShellItemSupport.h"
#include "handler/tests/preview/TestPreviewHandlerApi.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/FrameShellBrowser.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <fstream>
#include <string>
#include <vector>

namespace brw {
namespace {

using brwtest::ConnectorStandIn;
using brwtest::FileAccess;
using brwtest::TemporaryFile;

constexpr wchar_t kDocumentUrl[] = L"brw://{S-1}/mail/jdoe.nsf/0000001F";
constexpr wchar_t kClassesKey[] = L"Software\\Classes\\";
constexpr wchar_t kTestExtension[] = L".brwtestdoc";

void SetClassesValue(const std::wstring& key, const wchar_t* name, const std::wstring& value)
{
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, (kClassesKey + key).c_str(), name, REG_SZ, value.c_str(),
                    DWORD((value.size() + 1) * sizeof(wchar_t)));
}

// The test handler registered in process for .rtf and the test extension,
// and only there; the keys go when the test ends.
class RegisteredTestHandler {
public:
    RegisteredTestHandler()
    {
        const std::wstring clsid = std::wstring(L"CLSID\\") + brwtest::kTestPreviewHandlerClsidText;
        SetClassesValue(clsid + L"\\InprocServer32", nullptr, path);
        SetClassesValue(clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment");
        for (const std::wstring& type : {std::wstring(L".rtf"), std::wstring(kTestExtension)}) {
            SetClassesValue(type + L"\\ShellEx\\" + kPreviewHandlerExtension, nullptr,
                            brwtest::kTestPreviewHandlerClsidText);
        }
    }
    ~RegisteredTestHandler()
    {
        const std::wstring classes = kClassesKey;
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (classes + L"CLSID\\" + brwtest::kTestPreviewHandlerClsidText).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (classes + L".rtf\\ShellEx\\" + kPreviewHandlerExtension).c_str());
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, (classes + kTestExtension).c_str());
    }
    const std::wstring path = brwtest::BinaryIn64BitTree(brwtest::kTestPreviewHandlerDll);
};

struct WindowDestroyer {
    using pointer = HWND;
    static pointer Invalid() { return nullptr; }
    static bool IsValid(pointer window) { return window != nullptr; }
    static void Close(pointer window) { DestroyWindow(window); }
};
using WindowHandle = UniqueResource<WindowDestroyer>;

std::vector<BYTE> FileBytes(const std::wstring& path)
{
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::vector<BYTE>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PreviewView : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(frame);
        ASSERT_TRUE(handlerDll);
        log = reinterpret_cast<brwtest::TestPreviewLogFunction>(
            reinterpret_cast<void*>(GetProcAddress(handlerDll.get(), "TestPreviewLog")));
        bytes = reinterpret_cast<brwtest::TestPreviewBytesFunction>(
            reinterpret_cast<void*>(GetProcAddress(handlerDll.get(), "TestPreviewBytes")));
        auto reset = reinterpret_cast<brwtest::TestPreviewResetFunction>(
            reinterpret_cast<void*>(GetProcAddress(handlerDll.get(), "TestPreviewReset")));
        ASSERT_TRUE(log && bytes && reset);
        reset();
        browser.Attach(new brwtest::FrameShellBrowser(frame.get()));
    }
    void TearDown() override
    {
        view.reset();
        browser.reset();
        frame.reset();
        CoUninitialize();
    }

    // A view of the result folder standing for url.
    void MakeView(const std::wstring& url)
    {
        std::vector<BYTE> list = brwtest::ResultItemBytes(url);
        list.push_back(0);
        list.push_back(0);
        ComPtr<IShellFolder> folder;
        ASSERT_EQ(S_OK, CreateInstance<CSearchResult>(nullptr, IID_IShellFolder, folder.put_void()));
        ComPtr<IPersistFolder2> persist;
        ASSERT_EQ(S_OK, folder.As(&persist));
        ASSERT_EQ(S_OK, persist->Initialize(reinterpret_cast<PCIDLIST_ABSOLUTE>(list.data())));
        ASSERT_EQ(S_OK, folder->CreateViewObject(frame.get(), IID_IShellView, view.put_void()));
    }

    HRESULT CreateWindowOfView(HWND* window)
    {
        FOLDERSETTINGS settings = {FVM_DETAILS, 0};
        RECT area = {10, 20, 210, 120};
        return view->CreateViewWindow(nullptr, &settings, browser.get(), &area, window);
    }

    std::wstring Log() { return log(); }
    std::vector<BYTE> Received()
    {
        std::vector<BYTE> received(bytes(nullptr, 0));
        bytes(received.data(), DWORD(received.size()));
        return received;
    }

    const RegisteredTestHandler registration;
    ModuleHandle handlerDll{LoadLibraryW(registration.path.c_str())};
    WindowHandle frame{CreateWindowExW(0, L"STATIC", L"test browser", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                       nullptr, nullptr, nullptr, nullptr)};
    brwtest::TestPreviewLogFunction log = nullptr;
    brwtest::TestPreviewBytesFunction bytes = nullptr;
    ComPtr<brwtest::FrameShellBrowser> browser;
    ComPtr<IShellView> view;
};

TEST_F(PreviewView, HostsTheRtfHandlerWithTheBodyAndDeletesTheBodyWhenDestroyed)
{
    auto body = std::make_unique<TemporaryFile>(L"{\\rtf1 Quarterly plan}", FileAccess::ReadOnly, L".rtf");
    const std::wstring bodyPath = body->Path();
    const std::vector<BYTE> expected = FileBytes(bodyPath);
    ConnectorStandIn connector(
        [&](const std::wstring&) { return L"<document><rtf>" + bodyPath + L"</rtf></document>"; });
    MakeView(kDocumentUrl);
    HWND window = nullptr;
    ASSERT_EQ(S_OK, CreateWindowOfView(&window));
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(frame.get(), GetParent(window));
    EXPECT_TRUE(IsWindowVisible(window));
    HWND reported = nullptr;
    EXPECT_EQ(S_OK, view->GetWindow(&reported));
    EXPECT_EQ(window, reported);
    const std::wstring request = connector.LastRequest();
    EXPECT_NE(std::wstring::npos, request.find(L"attnum=\"0\" manage=\"false\" preview=\"true\"")) << request;
    // The window's own creation may size it once more (SetRect) after that.
    const std::wstring started =
        L"Initialize\nSetWindow " + std::to_wstring(reinterpret_cast<UINT_PTR>(window)) + L" 200x100\nDoPreview\n";
    EXPECT_EQ(started, Log().substr(0, started.size()));
    EXPECT_EQ(expected, Received());

    MoveWindow(window, 0, 0, 300, 150, TRUE);
    EXPECT_NE(std::wstring::npos, Log().find(L"SetRect 300x150\n")) << Log();

    EXPECT_EQ(S_OK, view->DestroyViewWindow());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_NE(std::wstring::npos, Log().find(L"Unload\n")) << Log();
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(bodyPath.c_str())) << "the body the view asked for";
    EXPECT_EQ(S_OK, view->GetWindow(&reported));
    EXPECT_EQ(nullptr, reported);
}

TEST_F(PreviewView, AnAttachmentPreviewsThroughTheHandlerOfItsExtension)
{
    const TemporaryFile extracted(L"attachment body", FileAccess::ReadOnly, kTestExtension);
    const std::vector<BYTE> expected = FileBytes(extracted.Path());
    ConnectorStandIn connector([&](const std::wstring&) {
        return L"<document><attachment><diskfilename>" + extracted.Path() + L"</diskfilename></attachment></document>";
    });
    MakeView(std::wstring(kDocumentUrl) + L"#3#notes" + kTestExtension);
    HWND window = nullptr;
    ASSERT_EQ(S_OK, CreateWindowOfView(&window));
    EXPECT_EQ(expected, Received());
    EXPECT_NE(std::wstring::npos, connector.LastRequest().find(L"attnum=\"3\"")) << connector.LastRequest();
    FOLDERSETTINGS settings = {};
    EXPECT_EQ(S_OK, view->GetCurrentInfo(&settings));
    EXPECT_EQ(UINT(FVM_DETAILS), settings.ViewMode);
    EXPECT_EQ(S_OK, view->DestroyViewWindow());
}

TEST_F(PreviewView, FocusGoesBackOnceToTheWindowThatHadIt)
{
    const TemporaryFile body(L"{\\rtf1 x}", FileAccess::Writable, L".rtf");
    ConnectorStandIn connector(
        [&](const std::wstring&) { return L"<document><rtf>" + body.Path() + L"</rtf></document>"; });
    MakeView(kDocumentUrl);
    SetFocus(frame.get());
    HWND window = nullptr;
    ASSERT_EQ(S_OK, CreateWindowOfView(&window));
    SetFocus(window);
    EXPECT_EQ(S_OK, view->UIActivate(SVUIA_ACTIVATE_NOFOCUS));
    EXPECT_EQ(frame.get(), GetFocus());
    SetFocus(window);
    EXPECT_EQ(S_OK, view->UIActivate(SVUIA_ACTIVATE_NOFOCUS));
    EXPECT_EQ(window, GetFocus()) << "given back once only";
    EXPECT_EQ(S_OK, view->UIActivate(SVUIA_ACTIVATE_FOCUS));
    EXPECT_NE(std::wstring::npos, Log().find(L"SetFocus\n"));
    EXPECT_EQ(S_OK, view->DestroyViewWindow());
    EXPECT_TRUE(body.Exists()) << "a file without the read-only mark is not the connector's";
}

TEST_F(PreviewView, NothingIsCreatedWhenThereIsNothingToShow)
{
    ConnectorStandIn connector([&](const std::wstring&) { return std::wstring(L"<failure/>"); });
    struct Case {
        const char* what;
        std::wstring url;
        HRESULT expected;
    };
    const Case cases[] = {
        {"a PowerPoint attachment", std::wstring(kDocumentUrl) + L"#1#slides.PPTX", S_OK},
        {"a type without a preview handler", std::wstring(kDocumentUrl) + L"#1#data.brwnohandler", E_FAIL},
        {"the connector fails", kDocumentUrl, E_FAIL},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MakeView(c.url);
        HWND window = reinterpret_cast<HWND>(0x1);
        const HRESULT hr = CreateWindowOfView(&window);
        if (c.expected == S_OK) {
            EXPECT_EQ(S_OK, hr);
        } else {
            EXPECT_TRUE(FAILED(hr));
        }
        EXPECT_EQ(nullptr, window);
        EXPECT_EQ(std::wstring::npos, Log().find(L"SetWindow")) << Log();
        EXPECT_EQ(S_OK, view->DestroyViewWindow());
    }
    EXPECT_EQ(1u, connector.RequestCount()) << "only the document asked the connector";
    HWND window = reinterpret_cast<HWND>(0x1);
    RECT area = {};
    EXPECT_EQ(E_INVALIDARG, view->CreateViewWindow(nullptr, nullptr, browser.get(), &area, &window));
    EXPECT_EQ(nullptr, window);
}

} // namespace
} // namespace brw
