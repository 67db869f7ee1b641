#include "platform/winsearch/indexer/RegistryLookup.h"

#include <objbase.h>
#include <windowssearcherrors.h>

namespace brw::winsearch {

namespace {

constexpr DWORD kMaxRegistryText = 260;
constexpr size_t kMaxSchemeLength = 64;
constexpr wchar_t kFilterAddinKey[] = L"\\PersistentAddinsRegistered\\{89BCB740-6119-101A-BCB7-00DD010655AF}";

bool ReadText(HKEY root, const std::wstring& path, const wchar_t* name, std::wstring* text)
{
    wchar_t buffer[kMaxRegistryText] = {};
    DWORD bytes = sizeof(buffer);
    if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, buffer, &bytes) != ERROR_SUCCESS) {
        return false;
    }
    *text = buffer;
    return !text->empty();
}

bool ReadGuid(HKEY root, const std::wstring& path, const wchar_t* name, GUID* guid)
{
    std::wstring text;
    return ReadText(root, path, name, &text) && text.size() == 38 && SUCCEEDED(CLSIDFromString(text.c_str(), guid));
}

bool IsPlainName(const std::wstring& text, size_t maxLength)
{
    if (text.empty() || text.size() > maxLength) {
        return false;
    }
    for (wchar_t c : text) {
        if (c <= L' ' || c == L'\\' || c == L'/' || c == L'.' || c > 0x7E) {
            return false;
        }
    }
    return true;
}

std::wstring ClassesPath(const std::wstring& path)
{
    return L"Software\\Classes\\" + path;
}

} // namespace

std::wstring SchemeOf(const std::wstring& url)
{
    const size_t colon = url.find(L':');
    if (colon == std::wstring::npos || colon == 0 || colon > kMaxSchemeLength) {
        return std::wstring();
    }
    const std::wstring scheme = url.substr(0, colon);
    for (wchar_t c : scheme) {
        const bool ok = (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'+' ||
                        c == L'-' || c == L'.';
        if (!ok) {
            return std::wstring();
        }
    }
    return scheme;
}

HRESULT FindProtocolHandler(const std::wstring& scheme, CLSID* clsid)
{
    if (scheme.empty()) {
        return GTHR_E_UNKNOWN_PROTOCOL;
    }
    std::wstring progId;
    if (!ReadText(HKEY_LOCAL_MACHINE, kProtocolHandlersKey, scheme.c_str(), &progId) &&
        !ReadText(HKEY_CURRENT_USER, kProtocolHandlersKey, scheme.c_str(), &progId)) {
        return GTHR_E_UNKNOWN_PROTOCOL;
    }
    if (progId.size() > 200 || FAILED(CLSIDFromProgID(progId.c_str(), clsid))) {
        return GTHR_E_PRT_HNDLR_PROGID_MISSING;
    }
    return S_OK;
}

HRESULT FindFilterForExtension(const std::wstring& extension, CLSID* clsid)
{
    if (!IsPlainName(extension, 32)) {
        return REGDB_E_CLASSNOTREG;
    }
    const std::wstring extensionKey = ClassesPath(L"." + extension);
    GUID handler = GUID_NULL;
    if (!ReadGuid(HKEY_LOCAL_MACHINE, extensionKey + L"\\PersistentHandler", nullptr, &handler)) {
        // The documented fallback: the extension's ProgID, its CLSID, and
        // that class's persistent handler.
        std::wstring progId;
        GUID documentClass = GUID_NULL;
        wchar_t classText[40] = {};
        if (!ReadText(HKEY_LOCAL_MACHINE, extensionKey, nullptr, &progId) || progId.size() > 200 ||
            !ReadGuid(HKEY_LOCAL_MACHINE, ClassesPath(progId + L"\\CLSID"), nullptr, &documentClass) ||
            !StringFromGUID2(documentClass, classText, 40) ||
            !ReadGuid(HKEY_LOCAL_MACHINE, ClassesPath(std::wstring(L"CLSID\\") + classText + L"\\PersistentHandler"),
                      nullptr, &handler)) {
            return REGDB_E_CLASSNOTREG;
        }
    }
    wchar_t handlerText[40] = {};
    StringFromGUID2(handler, handlerText, 40);
    if (!ReadGuid(HKEY_LOCAL_MACHINE, ClassesPath(std::wstring(L"CLSID\\") + handlerText + kFilterAddinKey), nullptr,
                  clsid)) {
        return REGDB_E_CLASSNOTREG;
    }
    return S_OK;
}

} // namespace brw::winsearch
