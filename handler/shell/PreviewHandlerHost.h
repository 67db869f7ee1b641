// Finding and making the preview handler Windows has registered for a file
// type, the way the system's own preview host does.
#pragma once
#include <windows.h>
#include <shobjidl.h>

#include <string>

namespace brw {

// The shell extension point of preview handlers under a file type's key.
constexpr wchar_t kPreviewHandlerExtension[] = L"{8895b1c6-b41f-4c1c-a562-0d564250836f}";

// CoCreateInstance's shape, so the order of the attempts can be watched.
using ObjectCreator = HRESULT (*)(REFCLSID clsid, DWORD context, REFIID riid, void** ppv);

// The class registered as preview handler for key (".rtf", ".docx");
// the association's failure when there is none or it is no class id.
HRESULT FindPreviewHandlerClass(const std::wstring& key, CLSID* clsid) noexcept;

// The handler, out of process first as the system's preview host makes it,
// so a handler that crashes on a hostile file takes only its surrogate down;
// in process only when that fails. create null means CoCreateInstance.
HRESULT CreatePreviewHandler(const CLSID& clsid, ObjectCreator create, IPreviewHandler** handler) noexcept;

} // namespace brw
