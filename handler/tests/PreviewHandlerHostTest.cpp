// The preview handler is made out of process first, in process only when
// that fails.
#include "handler/shell/PreviewHandlerHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace brw {
namespace {

std::vector<DWORD> g_contexts;
HRESULT g_outOfProcessResult = E_FAIL;

HRESULT RecordingCreator(REFCLSID, DWORD context, REFIID, void** ppv)
{
    g_contexts.push_back(context);
    *ppv = reinterpret_cast<void*>(0x1); // what a failing server might leave
    if (context == CLSCTX_LOCAL_SERVER) {
        return g_outOfProcessResult;
    }
    *ppv = nullptr;
    return REGDB_E_CLASSNOTREG;
}

TEST(PreviewHandlerHost, OutOfProcessFirstInProcessOnlyWhenThatFails)
{
    g_contexts.clear();
    g_outOfProcessResult = CO_E_SERVER_EXEC_FAILURE;
    IPreviewHandler* handler = reinterpret_cast<IPreviewHandler*>(0x2);
    EXPECT_EQ(REGDB_E_CLASSNOTREG, CreatePreviewHandler(GUID{}, &RecordingCreator, &handler));
    EXPECT_EQ((std::vector<DWORD>{CLSCTX_LOCAL_SERVER, CLSCTX_INPROC_SERVER}), g_contexts);
    EXPECT_EQ(nullptr, handler);

    g_contexts.clear();
    g_outOfProcessResult = S_OK;
    EXPECT_EQ(S_OK, CreatePreviewHandler(GUID{}, &RecordingCreator, &handler));
    EXPECT_EQ(std::vector<DWORD>{CLSCTX_LOCAL_SERVER}, g_contexts);
    EXPECT_EQ(E_POINTER, CreatePreviewHandler(GUID{}, &RecordingCreator, nullptr));
}

TEST(PreviewHandlerHost, ATypeWithoutAHandlerHasNoClass)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid = {};
    EXPECT_TRUE(FAILED(FindPreviewHandlerClass(L".brwnohandlertype", &clsid)));
    CoUninitialize();
}

} // namespace
} // namespace brw
