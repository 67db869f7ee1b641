// A registration export's work with a module's path: the step sees the
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

constexpr wchar_t kComponent[] = L"test";
constexpr wchar_t kStep[] = L"step";

TEST(ThisCodeModule, IsTheProgramThisLibraryIsLinkedInto)
{
    EXPECT_EQ(GetModuleHandleW(nullptr), brw::ThisCodeModule());
}

TEST(WithModulePath, TheStepGetsTheModulesFullPathAndItsResultComesBack)
{
    const HMODULE program = GetModuleHandleW(nullptr);
    const std::wstring expected = brw::ModuleFilePath(program);
    ASSERT_FALSE(expected.empty());

    for (const HRESULT result : {S_OK, S_FALSE, E_ACCESSDENIED, E_UNEXPECTED}) {
        std::wstring seen;
        EXPECT_EQ(result, brw::WithModulePath(program, kComponent, kStep, [&](const wchar_t* path) {
                      seen = path;
                      return result;
                  }));
        EXPECT_EQ(expected, seen);
    }
}

TEST(WithModulePath, RunningOutOfMemoryIsAFailure)
{
    EXPECT_EQ(E_OUTOFMEMORY, brw::WithModulePath(GetModuleHandleW(nullptr), kComponent, kStep,
                                                 [](const wchar_t*) -> HRESULT { throw std::bad_alloc(); }));
}

TEST(WithModulePath, WithoutAPathTheStepDoesNotRun)
{
    // An address that no loaded module starts at.
    static const char kNotAModule = 0;
    bool ran = false;
    const HRESULT hr = brw::WithModulePath(reinterpret_cast<HMODULE>(const_cast<char*>(&kNotAModule)), kComponent,
                                           kStep, [&](const wchar_t*) {
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
