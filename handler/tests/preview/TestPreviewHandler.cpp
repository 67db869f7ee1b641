// The test preview handler's class, its class factory and its log.
#include "common/ClassFactory.h"
#include "common/ComHolders.h"
#include "common/ComObject.h"
#include "common/ModuleLock.h"
#include "handler/tests/preview/TestPreviewHandlerApi.h"

#include <windows.h>
#include <propsys.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace {

std::mutex g_lock;
std::wstring g_log;
std::vector<BYTE> g_received;

void Record(const std::wstring& line)
{
    const std::lock_guard<std::mutex> hold(g_lock);
    g_log += line + L"\n";
}

std::wstring Size(const RECT* rect)
{
    return rect ? std::to_wstring(rect->right - rect->left) + L"x" + std::to_wstring(rect->bottom - rect->top)
                : std::wstring(L"null");
}

class CTestPreviewHandler final : public brw::ComObject<IPreviewHandler, IInitializeWithStream> {
public:
    CTestPreviewHandler() noexcept = default;

    IFACEMETHODIMP Initialize(IStream* stream, DWORD) override
    {
        std::vector<BYTE> bytes;
        BYTE buffer[4096];
        ULONG read = 0;
        while (SUCCEEDED(stream->Read(buffer, sizeof(buffer), &read)) && read > 0) {
            bytes.insert(bytes.end(), buffer, buffer + read);
        }
        stream_ = brw::ComPtr<IStream>(stream); // held as a real handler holds it, until Unload
        const std::lock_guard<std::mutex> hold(g_lock);
        g_received = std::move(bytes);
        g_log += L"Initialize\n";
        return S_OK;
    }
    using ComObject::Initialize;

    IFACEMETHODIMP SetWindow(HWND hwnd, const RECT* prc) override
    {
        Record(L"SetWindow " + std::to_wstring(reinterpret_cast<UINT_PTR>(hwnd)) + L" " + Size(prc));
        return S_OK;
    }
    IFACEMETHODIMP SetRect(const RECT* prc) override
    {
        Record(L"SetRect " + Size(prc));
        return S_OK;
    }
    IFACEMETHODIMP DoPreview() override
    {
        Record(L"DoPreview");
        return S_OK;
    }
    IFACEMETHODIMP Unload() override
    {
        stream_.reset();
        Record(L"Unload");
        return S_OK;
    }
    IFACEMETHODIMP SetFocus() override
    {
        Record(L"SetFocus");
        return S_OK;
    }
    IFACEMETHODIMP QueryFocus(HWND* phwnd) override
    {
        if (phwnd) {
            *phwnd = nullptr;
        }
        return E_NOTIMPL;
    }
    IFACEMETHODIMP TranslateAccelerator(MSG*) override { return S_FALSE; }

protected:
    HRESULT QueryOwnInterface(REFIID riid, void** ppv) override
    {
        static const QITAB kInterfaces[] = {
            QITABENT(CTestPreviewHandler, IPreviewHandler),
            QITABENT(CTestPreviewHandler, IInitializeWithStream),
            {},
        };
        return QISearch(this, kInterfaces, riid, ppv);
    }

private:
    ~CTestPreviewHandler() override = default;
    brw::ComPtr<IStream> stream_;
};

const brw::ClassEntry kClasses[] = {
    {&brwtest::kTestPreviewHandlerClsid, &brw::CreateInstance<CTestPreviewHandler>},
};

} // namespace

STDAPI DllCanUnloadNow()
{
    return brw::CanUnloadModule();
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object)
{
    return brw::GetClassObjectFromTable(kClasses, &clsid, &riid, object);
}

extern "C" const wchar_t* WINAPI TestPreviewLog()
{
    const std::lock_guard<std::mutex> hold(g_lock);
    return g_log.c_str();
}

extern "C" DWORD WINAPI TestPreviewBytes(BYTE* buffer, DWORD size)
{
    const std::lock_guard<std::mutex> hold(g_lock);
    std::copy_n(g_received.begin(), std::min<std::size_t>(size, g_received.size()), buffer);
    return static_cast<DWORD>(g_received.size());
}

extern "C" void WINAPI TestPreviewReset()
{
    const std::lock_guard<std::mutex> hold(g_lock);
    g_log.clear();
    g_received.clear();
}
