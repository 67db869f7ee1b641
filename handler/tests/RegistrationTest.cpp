// Registration of the built BRWHandler.dll in the test prefix's registry.
#include "common/Handles.h"
#include "handler/module/ClassTable.h"
#include "handler/protocol/NSFUrlAccessor.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <searchapi.h>
#include <shlobj.h>

#include <map>

namespace {

using brwtest::GetDword;
using brwtest::GetString;
using brwtest::KeyExists;

const std::wstring kSearch = L"Software\\Microsoft\\Windows Search";
const std::wstring kProtocolClsid = L"CLSID\\{F7FD5BEC-6B4C-4C41-BC6D-318E7567BCEB}";
const std::wstring kNotifierClsid = L"CLSID\\{BE32495C-4A83-4BFF-9529-7C3254A202FF}";
const wchar_t kMenuClsid[] = L"CLSID\\{5C9D8D6F-5145-494C-A678-F1F3D96826EC}";
const wchar_t kViewClsid[] = L"CLSID\\{9462FC09-60EB-4FB3-B2CB-CC88800C914D}";
const wchar_t kResultClsid[] = L"CLSID\\{8DDDD85C-817B-4948-87A1-677297520495}";
const wchar_t kResultsShellClsid[] = L"CLSID\\{F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}";

class Library {
public:
    explicit Library(const std::wstring& path) : module_(LoadLibraryW(path.c_str())) {}
    HRESULT Call(const char* name)
    {
        auto fn = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
        return fn ? fn() : E_NOTIMPL;
    }
    HMODULE get() const { return module_.get(); }

private:
    brw::ModuleHandle module_;
};

// Every key and value below a key, one line each, to compare registrations.
void Dump(HKEY root, const std::wstring& path, std::map<std::wstring, std::wstring>* out)
{
    brw::RegKey key;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
        return;
    }
    (*out)[path] = L"";
    wchar_t name[512];
    BYTE data[4096];
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 512;
        DWORD dataLength = sizeof(data);
        DWORD type = 0;
        if (RegEnumValueW(key.get(), i, name, &nameLength, nullptr, &type, data, &dataLength) != ERROR_SUCCESS) {
            break;
        }
        (*out)[path + L"|" + name] =
            std::to_wstring(type) + L":" + std::wstring(reinterpret_cast<wchar_t*>(data), dataLength / sizeof(wchar_t));
    }
    std::vector<std::wstring> children;
    for (DWORD i = 0;; ++i) {
        DWORD nameLength = 512;
        if (RegEnumKeyExW(key.get(), i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        children.emplace_back(name);
    }
    key.reset();
    for (const auto& child : children) {
        Dump(root, path + L"\\" + child, out);
    }
}

std::map<std::wstring, std::wstring> Registered()
{
    std::map<std::wstring, std::wstring> all;
    for (const wchar_t* key :
         {L"BRW/Message", L"BRW/Attachment", L"BRW/ApplicationData", L"BRWHandler.NSFProtocol",
          L"BRWHandler.NSFProtocol.1", L"BRWHandler.IndexNotifier", L"BRWHandler.IndexNotifier.1",
          L"CLSID\\{F7FD5BEC-6B4C-4C41-BC6D-318E7567BCEB}", L"CLSID\\{BE32495C-4A83-4BFF-9529-7C3254A202FF}",
          L"SystemFileAssociations\\BRW/ToDo", L"BRWHandler.NoteContextMenu", L"BRWHandler.NoteContextMenu.1",
          L"BRWHandler.SearchResult", L"BRWHandler.SearchResult.1", L"BRWHandler.SearchResultsShell",
          L"BRWHandler.SearchResultsShell.1", kMenuClsid, kResultClsid, kResultsShellClsid}) {
        Dump(HKEY_CLASSES_ROOT, key, &all);
    }
    Dump(HKEY_LOCAL_MACHINE, kSearch + L"\\Gather\\Windows\\SystemIndex\\Protocols\\brw", &all);
    Dump(HKEY_LOCAL_MACHINE, kSearch + L"\\PHSearchConnectors\\BRW", &all);
    Dump(HKEY_LOCAL_MACHINE, kSearch + L"\\ProtocolHandlerLocations\\BRW", &all);
    return all;
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, handler.get());
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    }
    void TearDown() override
    {
        handler.Call("DllUnregisterServer");
        CoUninitialize();
    }
    const std::wstring path = brwtest::BinaryIn64BitTree(L"handler\\BRWHandler.dll");
    Library handler{path};
};

TEST_F(Registration, WritesTheListedKeys)
{
    ASSERT_EQ(S_OK, handler.Call("DllRegisterServer"));
    EXPECT_EQ(L"BRWHandler.NSFProtocol.1", GetString(HKEY_LOCAL_MACHINE, kSearch + L"\\ProtocolHandlers", L"brw"));
    const std::wstring gather = kSearch + L"\\Gather\\Windows\\SystemIndex\\Protocols\\brw\\0";
    EXPECT_EQ(0u, GetDword(HKEY_LOCAL_MACHINE, gather, L"ExtExclusionsUsed"));
    EXPECT_EQ(1u, GetDword(HKEY_LOCAL_MACHINE, gather, L"Included"));
    EXPECT_EQ(L"", GetString(HKEY_LOCAL_MACHINE, gather, L"PrefixName"));
    EXPECT_EQ(L"BRWHandler.NSFProtocol.1", GetString(HKEY_LOCAL_MACHINE, gather, L"ProgIdHandler"));
    EXPECT_EQ(L"IBM Lotus Notes Content",
              GetString(HKEY_LOCAL_MACHINE, kSearch + L"\\PHSearchConnectors\\BRW\\Default", L"Name"));
    EXPECT_EQ(L"BRW Connector", GetString(HKEY_LOCAL_MACHINE, kSearch + L"\\ProtocolHandlerLocations\\BRW", L"Name"));
    EXPECT_EQ(L"BRW Notes Connector Search Results Shell",
              GetString(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                        L"{F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}"));

    EXPECT_EQ(L"Mail Message", GetString(HKEY_CLASSES_ROOT, L"BRW/Message", L"FriendlyTypeName"));
    EXPECT_EQ(L"beta", GetString(HKEY_CLASSES_ROOT, L"BRW/Message", L"ContentViewModeLayoutPatternForSearch"));
    EXPECT_EQ(L"{a42c2ccb-67d3-46fa-abe6-7d2f3488c7a3}",
              GetString(HKEY_CLASSES_ROOT, L"BRW/Message\\ShellEx\\{8895b1c6-b41f-4c1c-a562-0d564250836f}", L""));
    EXPECT_EQ(L"Mail Message",
              GetString(HKEY_CLASSES_ROOT, L"SystemFileAssociations\\BRW/Message", L"FriendlyTypeName"));
    EXPECT_EQ(std::nullopt, GetString(HKEY_CLASSES_ROOT, L"SystemFileAssociations\\BRW/Message", L"PreviewDetails"));
    EXPECT_EQ(L"Application Data", GetString(HKEY_CLASSES_ROOT, L"BRW/ApplicationData", L"FriendlyTypeName"));

    EXPECT_EQ(L"Windows Search Service Lotus Notes Protocol Handler",
              GetString(HKEY_CLASSES_ROOT, kProtocolClsid, L""));
    EXPECT_EQ(path, GetString(HKEY_CLASSES_ROOT, kProtocolClsid + L"\\InprocServer32", L""));
    EXPECT_EQ(L"Free", GetString(HKEY_CLASSES_ROOT, kProtocolClsid + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"BRWHandler.NSFProtocol.1", GetString(HKEY_CLASSES_ROOT, L"BRWHandler.NSFProtocol\\CurVer", L""));
    EXPECT_EQ(L"NSFProtocol Class", GetString(HKEY_CLASSES_ROOT, L"BRWHandler.NSFProtocol.1", L""));

    EXPECT_EQ(L"IndexNotifier Class", GetString(HKEY_CLASSES_ROOT, kNotifierClsid, L""));
    EXPECT_EQ(L"Apartment", GetString(HKEY_CLASSES_ROOT, kNotifierClsid + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kNotifierClsid + L"\\Programmable"));
    EXPECT_EQ(L"{C7B215A5-9B26-4278-8D6C-BC206FE875AF}",
              GetString(HKEY_CLASSES_ROOT, kNotifierClsid + L"\\TypeLib", L""));

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\{DA0B85FA-7AC1-4A86-BB72-8C79C251B8BC}"))
        << "the accessor is made in code only";
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID\\{42BDA5B7-EF8D-41F9-8A02-375E7698C610}"));
}

// The shell loads these classes from the 64-bit view, which is the view
// this 64-bit test reads.
TEST_F(Registration, WritesTheShellClasses)
{
    ASSERT_EQ(S_OK, handler.Call("DllRegisterServer"));
    const std::wstring menu = kMenuClsid;
    EXPECT_EQ(L"NoteContextMenu Class", GetString(HKEY_CLASSES_ROOT, menu, L""));
    EXPECT_EQ(path, GetString(HKEY_CLASSES_ROOT, menu + L"\\InprocServer32", L""));
    EXPECT_EQ(L"Apartment", GetString(HKEY_CLASSES_ROOT, menu + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(L"BRWHandler.NoteContextMenu.1", GetString(HKEY_CLASSES_ROOT, menu + L"\\ProgID", L""));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, menu + L"\\Programmable"));
    EXPECT_EQ(L"BRWHandler.NoteContextMenu.1",
              GetString(HKEY_CLASSES_ROOT, L"BRWHandler.NoteContextMenu\\CurVer", L""));

    const std::wstring view = kViewClsid;
    EXPECT_EQ(L"BRWPreviewShellView Class", GetString(HKEY_CLASSES_ROOT, view, L""));
    EXPECT_EQ(path, GetString(HKEY_CLASSES_ROOT, view + L"\\InprocServer32", L""));
    EXPECT_EQ(L"BRWHandler.BRWPreviewShellView",
              GetString(HKEY_CLASSES_ROOT, view + L"\\VersionIndependentProgID", L""));
    EXPECT_EQ(L"{C7B215A5-9B26-4278-8D6C-BC206FE875AF}", GetString(HKEY_CLASSES_ROOT, view + L"\\TypeLib", L""));

    const std::wstring result = kResultClsid;
    EXPECT_EQ(L"SearchResult Class", GetString(HKEY_CLASSES_ROOT, result, L""));
    EXPECT_EQ(path, GetString(HKEY_CLASSES_ROOT, result + L"\\InprocServer32", L""));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, result + L"\\Programmable"));
    EXPECT_EQ(L"SearchResult Class", GetString(HKEY_CLASSES_ROOT, L"BRWHandler.SearchResult.1", L""));

    const std::wstring shell = kResultsShellClsid;
    EXPECT_EQ(L"Brimlow Search Namespace Extension", GetString(HKEY_CLASSES_ROOT, shell, L""));
    EXPECT_EQ(L"BRW Search Results", GetString(HKEY_CLASSES_ROOT, shell, L"InfoTip"));
    EXPECT_EQ(L"Apartment", GetString(HKEY_CLASSES_ROOT, shell + L"\\InprocServer32", L"ThreadingModel"));
    EXPECT_EQ(DWORD(SFGAO_NONENUMERATED), GetDword(HKEY_CLASSES_ROOT, shell + L"\\ShellFolder", L"Attributes"));
    EXPECT_EQ(L"SearchResultsShell Class", GetString(HKEY_CLASSES_ROOT, L"BRWHandler.SearchResultsShell", L""));
    EXPECT_EQ(L"BRW Notes Connector Search Results Shell",
              GetString(HKEY_LOCAL_MACHINE,
                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\"
                        L"{F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}",
                        L""));
}

TEST_F(Registration, SecondRegistrationGivesTheSameContentWithoutStaleValues)
{
    ASSERT_EQ(S_OK, handler.Call("DllRegisterServer"));
    const auto first = Registered();
    ASSERT_TRUE(brwtest::SetString(HKEY_CLASSES_ROOT, L"BRW/Message", L"Stale", L"x"));
    ASSERT_TRUE(brwtest::SetString(HKEY_CLASSES_ROOT, kResultsShellClsid, L"Stale", L"x"));
    ASSERT_TRUE(brwtest::SetString(HKEY_LOCAL_MACHINE, kSearch + L"\\Gather\\Windows\\SystemIndex\\Protocols\\brw\\0",
                                   L"Stale", L"x"));
    ASSERT_EQ(S_OK, handler.Call("DllRegisterServer"));
    EXPECT_EQ(first, Registered());
}

TEST_F(Registration, UnregistrationRemovesThemAndKeepsSharedKeys)
{
    ASSERT_TRUE(brwtest::SetString(HKEY_LOCAL_MACHINE, kSearch + L"\\ProtocolHandlers", L"other", L"Other.Handler"));
    ASSERT_EQ(S_OK, handler.Call("DllRegisterServer"));
    ASSERT_EQ(S_OK, handler.Call("DllUnregisterServer"));
    EXPECT_TRUE(Registered().empty());
    EXPECT_EQ(std::nullopt, GetString(HKEY_LOCAL_MACHINE, kSearch + L"\\ProtocolHandlers", L"brw"));
    EXPECT_EQ(L"Other.Handler", GetString(HKEY_LOCAL_MACHINE, kSearch + L"\\ProtocolHandlers", L"other"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE,
                           L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Desktop\\NameSpace\\"
                           L"{F3BA0807-82D8-42A5-AD8B-B5953D6BF3AE}"));
    EXPECT_EQ(S_OK, handler.Call("DllUnregisterServer")) << "twice is harmless";
    brwtest::DeleteTree(HKEY_LOCAL_MACHINE, kSearch + L"\\ProtocolHandlers");
}

// The Windows Search stand-in is not installed in this prefix: registering
// must not depend on it.
TEST_F(Registration, SucceedsWithoutWindowsSearch)
{
    void* manager = nullptr;
    const HRESULT present =
        CoCreateInstance(CLSID_CSearchManager, nullptr, CLSCTX_SERVER, IID_ISearchManager, &manager);
    if (SUCCEEDED(present)) {
        static_cast<IUnknown*>(manager)->Release();
        GTEST_SKIP() << "a search manager is registered in this prefix";
    }
    EXPECT_EQ(S_OK, handler.Call("DllRegisterServer"));
}

TEST_F(Registration, ClassObjectsFollowTheTable)
{
    using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    auto get =
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(handler.get(), "DllGetClassObject")));
    ASSERT_NE(nullptr, get);
    for (std::size_t i = 0; i < brw::kHandlerClassCount; ++i) {
        IClassFactory* factory = nullptr;
        EXPECT_EQ(S_OK, get(*brw::kHandlerClasses[i].clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)));
        if (factory) {
            factory->Release();
        }
    }
    void* none = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get(GUID{}, IID_IClassFactory, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(S_OK, handler.Call("DllCanUnloadNow"));
}

} // namespace
