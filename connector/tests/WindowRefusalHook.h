#pragma once
// What a test and the window refusal hook library agree on: the library's
// file in the 32-bit tree, its hook procedure, and the environment variable
// that names the class whose windows it refuses.
namespace brwtest {

inline constexpr wchar_t kWindowRefusalLibrary[] = L"connector\\brw_test_window_refusal.dll";
inline constexpr char kWindowRefusalProcedure[] = "RefuseNamedWindowClass";
inline constexpr wchar_t kRefusedWindowClassVariable[] = L"BRW_TEST_REFUSED_WINDOW_CLASS";

} // namespace brwtest
