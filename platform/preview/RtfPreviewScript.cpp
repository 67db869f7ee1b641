#include "platform/preview/RtfPreviewScript.h"

#include "common/WideString.h"
#include "platform/preview/RtfPreviewHandler.h"

#include <string>

namespace brw {

RegistryScript RtfPreviewScript()
{
    using V = ScriptValue;
    const std::wstring clsid = GuidToString(kRtfPreviewHandlerClsid);
    RegistryScript script;
    script.push_back({HKEY_CLASSES_ROOT,
                      L"CLSID\\" + clsid,
                      KeyMode::ForceRemove,
                      {V::Default(L"Brimlow Search stand-in RTF preview handler")}});
    script.push_back({HKEY_CLASSES_ROOT,
                      L"CLSID\\" + clsid + L"\\InprocServer32",
                      KeyMode::Normal,
                      {V::Default(L"%MODULE%"), V::String(L"ThreadingModel", L"Apartment")}});
    // The preview handler extension point of the file type.
    script.push_back({HKEY_CLASSES_ROOT,
                      L".rtf\\ShellEx\\{8895b1c6-b41f-4c1c-a562-0d564250836f}",
                      KeyMode::ForceRemove,
                      {V::Default(clsid)}});
    return script;
}

} // namespace brw
