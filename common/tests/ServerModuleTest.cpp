// A registration export's work with the server's path: the step sees the
// module's own path, its result comes back unchanged, and a module without
// a path or memory running out end the work with a failure, never with a
// success that registered nothing.
#include "common/ServerModule.h"

#include "common/ModulePath.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <new>
#include <string>

namespace {

// Each case names the module it works with; the one before comes back.
class ServerModuleTest : public testing::Test {
protected:
    ~ServerModuleTest() override { brw::AttachServerModule(before_); }

private:
    HINSTANCE before_ = brw::ServerModuleHandle();
};

TEST_F(ServerModuleTest, TheStepGetsTheModulesFullPathAndItsResultComesBack)
{
    const HINSTANCE program = GetModuleHandleW(nullptr);
    brw::AttachServerModule(program);
    ASSERT_EQ(program, brw::ServerModuleHandle());
    const std::wstring expected = brw::ModuleFilePath(program);
    ASSERT_FALSE(expected.empty());

    for (const HRESULT result : {S_OK, S_FALSE, E_ACCESSDENIED, E_UNEXPECTED}) {
        std::wstring seen;
        EXPECT_EQ(result, brw::WithServerModulePath(L"test", L"step", [&](const wchar_t* path) {
                      seen = path;
                      return result;
                  }));
        EXPECT_EQ(expected, seen);
    }
}

TEST_F(ServerModuleTest, RunningOutOfMemoryIsAFailure)
{
    brw::AttachServerModule(GetModuleHandleW(nullptr));
    EXPECT_EQ(E_OUTOFMEMORY,
              brw::WithServerModulePath(L"test", L"step", [](const wchar_t*) -> HRESULT { throw std::bad_alloc(); }));
}

TEST_F(ServerModuleTest, WithoutAPathTheStepDoesNotRun)
{
    // An address that no loaded module starts at.
    static const char kNotAModule = 0;
    brw::AttachServerModule(reinterpret_cast<HINSTANCE>(const_cast<char*>(&kNotAModule)));
    bool ran = false;
    const HRESULT hr = brw::WithServerModulePath(L"test", L"step", [&](const wchar_t*) {
        ran = true;
        return S_OK;
    });
    EXPECT_TRUE(FAILED(hr)) << std::hex << hr;
    EXPECT_FALSE(ran);
}

TEST(ModulePathFailure, IsTheSystemsErrorOrAFailureWhereThereIsNone)
{
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER), brw::ModulePathFailure());
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(E_FAIL, brw::ModulePathFailure());
}

} // namespace
