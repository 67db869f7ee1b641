// The stand-ins' RTF preview handler in a real window: the document shown
// read-only in a RichEdit control that follows the host's rectangle.
#include "common/ComHolders.h"
#include "common/Handles.h"
#include "common/Registrar.h"
#include "common/WideString.h"
#include "platform/preview/RtfPreviewHandler.h"
#include "platform/preview/RtfPreviewScript.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

namespace brw {
namespace {

constexpr char kDocument[] = "{\\rtf1\\ansi Quarterly {\\b plan} for Acme}";

struct WindowDestroyer {
    using pointer = HWND;
    static pointer Invalid() { return nullptr; }
    static bool IsValid(pointer window) { return window != nullptr; }
    static void Close(pointer window) { DestroyWindow(window); }
};
using WindowHandle = UniqueResource<WindowDestroyer>;

ComPtr<IStream> StreamOf(const std::string& bytes)
{
    ComPtr<IStream> stream;
    stream.Attach(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), UINT(bytes.size())));
    return stream;
}

std::wstring TextOf(HWND window)
{
    wchar_t text[256] = {};
    GetWindowTextW(window, text, ARRAYSIZE(text));
    return text;
}

SIZE SizeOf(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

class RtfPreview : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        ASSERT_TRUE(host);
        object = ConstructOrNull<CRtfPreviewHandler>();
        ASSERT_NE(nullptr, object);
        ASSERT_EQ(S_OK, InitializeAndQuery(object, IID_IPreviewHandler, handler.put_void()));
        ASSERT_EQ(S_OK, handler.As(&initialize));
    }
    void TearDown() override
    {
        initialize.reset();
        handler.reset();
        host.reset();
        CoUninitialize();
    }

    WindowHandle host{CreateWindowExW(0, L"STATIC", L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500, 400, nullptr,
                                      nullptr, nullptr, nullptr)};
    CRtfPreviewHandler* object = nullptr; // owned through handler
    ComPtr<IPreviewHandler> handler;
    ComPtr<IInitializeWithStream> initialize;
};

TEST_F(RtfPreview, ShowsTheDocumentAsTextInTheHostsRectangleAndFollowsIt)
{
    ASSERT_EQ(S_OK, initialize->Initialize(StreamOf(kDocument).get(), STGM_READ));
    RECT area = {5, 5, 305, 205};
    ASSERT_EQ(S_OK, handler->SetWindow(host.get(), &area));
    ASSERT_EQ(S_OK, handler->DoPreview());
    const HWND control = object->Control();
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(host.get(), GetParent(control));
    EXPECT_EQ(L"Quarterly plan for Acme", TextOf(control));
    EXPECT_EQ(300, SizeOf(control).cx);
    EXPECT_TRUE(GetWindowLongW(control, GWL_STYLE) & ES_READONLY);

    RECT larger = {0, 0, 450, 350};
    EXPECT_EQ(S_OK, handler->SetRect(&larger));
    EXPECT_EQ(450, SizeOf(control).cx);
    EXPECT_EQ(350, SizeOf(control).cy);
    EXPECT_EQ(S_OK, handler->DoPreview()) << "a second DoPreview keeps the one control";
    EXPECT_EQ(control, object->Control());

    EXPECT_EQ(S_OK, handler->Unload());
    EXPECT_FALSE(IsWindow(control));
    EXPECT_EQ(E_UNEXPECTED, handler->DoPreview()) << "nothing to show after Unload";
}

TEST_F(RtfPreview, RefusesWhatItCannotShow)
{
    RECT area = {0, 0, 10, 10};
    EXPECT_EQ(E_INVALIDARG, initialize->Initialize(nullptr, STGM_READ));
    EXPECT_EQ(E_INVALIDARG, handler->SetWindow(nullptr, &area));
    EXPECT_EQ(E_INVALIDARG, handler->SetRect(nullptr));
    EXPECT_EQ(E_UNEXPECTED, handler->DoPreview());

    ComPtr<IStream> huge;
    huge.Attach(SHCreateMemStream(nullptr, 0));
    ULARGE_INTEGER size = {};
    size.QuadPart = kLargestPreviewBytes + 1;
    ASSERT_EQ(S_OK, huge->SetSize(size));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE), initialize->Initialize(huge.get(), STGM_READ));

    ASSERT_EQ(S_OK, initialize->Initialize(StreamOf(kDocument).get(), STGM_READ));
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_ALREADY_INITIALIZED),
              initialize->Initialize(StreamOf(kDocument).get(), STGM_READ));
    EXPECT_EQ(E_UNEXPECTED, handler->DoPreview()) << "no window yet";
}

// Registered per user here, so the test leaves the machine's .rtf alone.
TEST(RtfPreviewRegistration, BindsItsClassToRtfAndUnregistersCleanly)
{
    const Registrar registrar(RegistrationScope::User, Replacements{{L"MODULE", L"C:\\demo\\BRWRtfPreview.dll"}});
    ASSERT_EQ(S_OK, registrar.Register(RtfPreviewScript()));
    const std::wstring clsid = GuidToString(kRtfPreviewHandlerClsid);
    wchar_t text[MAX_PATH] = {};
    DWORD bytes = sizeof(text);
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER,
                                          L"Software\\Classes\\.rtf\\ShellEx\\{8895b1c6-b41f-4c1c-a562-0d564250836f}",
                                          nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes));
    EXPECT_EQ(clsid, text);
    bytes = sizeof(text);
    const std::wstring server = L"Software\\Classes\\CLSID\\" + clsid + L"\\InprocServer32";
    EXPECT_EQ(ERROR_SUCCESS,
              RegGetValueW(HKEY_CURRENT_USER, server.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, text, &bytes));
    EXPECT_EQ(std::wstring(L"C:\\demo\\BRWRtfPreview.dll"), text);

    ASSERT_EQ(S_OK, registrar.Unregister(RtfPreviewScript()));
    RegKey gone;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, (L"Software\\Classes\\CLSID\\" + clsid).c_str(), 0,
                                           KEY_READ, gone.put()));
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER,
                                           L"Software\\Classes\\.rtf\\ShellEx\\{8895b1c6-b41f-4c1c-a562-0d564250836f}",
                                           0, KEY_READ, gone.put()));
}

} // namespace
} // namespace brw
