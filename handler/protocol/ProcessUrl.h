#pragma once
// Opens what a brw:// URL names: the document in Notes, or an attachment.
// 0 when something was opened, 1 when the URL did not parse or the launch
// failed.
#include <windows.h>

extern "C" int WINAPI ProcessURL(const wchar_t* verb, const wchar_t* url) noexcept;
