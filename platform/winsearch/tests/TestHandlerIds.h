// What the tests' protocol handler and filter are registered as.
#pragma once

#include <windows.h>

namespace brwtest {

constexpr wchar_t kTestScheme[] = L"brwtest";
constexpr wchar_t kTestHandlerProgId[] = L"BrwTest.Protocol.1";
// {6C0F1A52-8E1B-4C55-9B0E-1D2A6A3F7B01}
constexpr CLSID kTestHandlerClsid = {0x6c0f1a52, 0x8e1b, 0x4c55, {0x9b, 0x0e, 0x1d, 0x2a, 0x6a, 0x3f, 0x7b, 0x01}};
// {6C0F1A52-8E1B-4C55-9B0E-1D2A6A3F7B02}: the filter registered for ".brwt"
constexpr CLSID kTestFilterClsid = {0x6c0f1a52, 0x8e1b, 0x4c55, {0x9b, 0x0e, 0x1d, 0x2a, 0x6a, 0x3f, 0x7b, 0x02}};
// {6C0F1A52-8E1B-4C55-9B0E-1D2A6A3F7B03}: its persistent handler
constexpr CLSID kTestPersistentHandler = {0x6c0f1a52, 0x8e1b, 0x4c55, {0x9b, 0x0e, 0x1d, 0x2a, 0x6a, 0x3f, 0x7b, 0x03}};
constexpr wchar_t kTestExtension[] = L"brwt";

// The handler appends one line per call it receives to this file.
constexpr wchar_t kCallLogVariable[] = L"BRW_TESTHANDLER_LOG";
// Part of every leaf's text and modification time: changing it is a change
// of every leaf.
constexpr wchar_t kGenerationVariable[] = L"BRW_TESTHANDLER_GENERATION";

} // namespace brwtest
