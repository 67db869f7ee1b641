// The built BRWMon32.dll as COM loads it: its class factory, reference
// counts and unload answer, aggregation, and what registration per machine
// and per user writes into the 32-bit registry and takes away again.
#include "common/ComHolders.h"
#include "common/Handles.h"
#include "common/IndexChangeMonitorApi.h"
#include "common/WideString.h"
#include "tests/support/BuildTrees.h"
#include "tests/support/TestRegistry.h"

#include <gtest/gtest.h>
#include <searchapi.h>

#include <string>

namespace {

using brwtest::GetString;
using brwtest::KeyExists;
using brwtest::RegistryView;

constexpr wchar_t kMainKey[] = L"Software\\FenwoldInc\\BRW";
constexpr wchar_t kClassKey[] = L"CLSID\\{B0A2B121-FFF6-41A3-A428-F18CA0B035AF}";
constexpr wchar_t kAppIdKey[] = L"AppID\\{C2CC3517-9BF6-4CEA-B579-2BC97F6300C7}";
constexpr wchar_t kLibraryKey[] = L"TypeLib\\{79EB55AF-8723-4403-8C79-48F86DF59376}";
constexpr GUID kLibraryId = {0x79EB55AF, 0x8723, 0x4403, {0x8C, 0x79, 0x48, 0xF8, 0x6D, 0xF5, 0x93, 0x76}};
constexpr wchar_t kUserClasses[] = L"Software\\Classes\\";
constexpr wchar_t kMachineClasses[] = L"Software\\Classes\\";
constexpr GUID kStoredSignature = {0x11111111, 0x2222, 0x3333, {1, 2, 3, 4, 5, 6, 7, 8}};

using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using NoArgumentFn = HRESULT(STDAPICALLTYPE*)();
using InstallFn = HRESULT(STDAPICALLTYPE*)(BOOL, LPCWSTR);

class MonitorModuleTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(module_) << "BRWMon32.dll did not load";
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        // A stored signature: creation then needs no catalogue at all.
        ASSERT_TRUE(brwtest::SetString(HKEY_CURRENT_USER, kMainKey, L"IndexGUID", brw::GuidToString(kStoredSignature)));
    }
    void TearDown() override
    {
        EXPECT_EQ(S_OK, Call<NoArgumentFn>("DllCanUnloadNow")()) << "the test left something holding the module";
        CoUninitialize();
    }

    template <typename Fn>
    Fn Call(const char* name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

    HRESULT Factory(brw::ComPtr<IClassFactory>& factory, const CLSID& clsid = brw::kIndexChangeMonitorClsid)
    {
        return Call<GetClassObjectFn>("DllGetClassObject")(clsid, IID_IClassFactory, factory.put_void());
    }

    std::wstring ModulePath() const { return brwtest::BinaryIn32BitTree(L"monitor32\\BRWMon32.dll"); }

    brwtest::ScratchKey settings_{HKEY_CURRENT_USER, kMainKey};
    brw::ModuleHandle module_{LoadLibraryW(ModulePath().c_str())};
};

TEST_F(MonitorModuleTest, TheFactoryMakesMonitorsAndHoldsTheModuleWhileItLives)
{
    brw::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, Factory(factory));
    EXPECT_EQ(S_FALSE, Call<NoArgumentFn>("DllCanUnloadNow")());

    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, brw::IID_IIndexChangeMonitor, monitor.put_void()));
    factory.reset();
    EXPECT_EQ(S_FALSE, Call<NoArgumentFn>("DllCanUnloadNow")()) << "the monitor holds the module";

    EXPECT_EQ(2u, monitor->AddRef());
    EXPECT_EQ(1u, monitor->Release());
    brw::ComPtr<ISearchNotifyInlineSite> site;
    ASSERT_EQ(S_OK, monitor->QueryInterface(IID_ISearchNotifyInlineSite, site.put_void()));
    brw::ComPtr<IUnknown> fromSite;
    brw::ComPtr<IUnknown> fromMonitor;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IUnknown, fromSite.put_void()));
    ASSERT_EQ(S_OK, monitor->QueryInterface(IID_IUnknown, fromMonitor.put_void()));
    EXPECT_EQ(fromMonitor.get(), fromSite.get()) << "one identity";

    void* other = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(E_NOINTERFACE, monitor->QueryInterface(IID_IClassFactory, &other));
    EXPECT_EQ(nullptr, other);
}

TEST_F(MonitorModuleTest, OtherClassesAndBadArgumentsAreRefused)
{
    brw::ComPtr<IClassFactory> factory;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, Factory(factory, CLSID_CSearchManager));
    EXPECT_FALSE(factory);
    EXPECT_EQ(E_POINTER,
              Call<GetClassObjectFn>("DllGetClassObject")(brw::kIndexChangeMonitorClsid, IID_IClassFactory, nullptr));
}

TEST_F(MonitorModuleTest, AnAggregateMayAskOnlyForTheInnerUnknown)
{
    brw::ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, Factory(factory));
    brw::ComPtr<IUnknown> outer;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, outer.put_void()));

    void* refused = reinterpret_cast<void*>(0x1);
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(outer.get(), brw::IID_IIndexChangeMonitor, &refused));
    EXPECT_EQ(nullptr, refused);
    brw::ComPtr<IUnknown> inner;
    EXPECT_EQ(S_OK, factory->CreateInstance(outer.get(), IID_IUnknown, inner.put_void()));
    EXPECT_TRUE(inner);
}

std::wstring LibraryFile(const std::wstring& module)
{
    return module.substr(0, module.size() - 4) + L".tlb";
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// What one registration wrote, read under a classes root.
void ExpectClassRegistered(HKEY root, const std::wstring& classes, const std::wstring& module)
{
    EXPECT_EQ(L"BRWMon32 1.0 Type Library", GetString(root, classes + kLibraryKey + L"\\1.0", L"").value_or(L"(none)"));
    EXPECT_EQ(LibraryFile(module),
              GetString(root, classes + kLibraryKey + L"\\1.0\\0\\win32", L"").value_or(L"(none)"));
    EXPECT_TRUE(FileExists(LibraryFile(module)));
    EXPECT_EQ(L"IndexChangeMonitor Class", GetString(root, classes + kClassKey, L"").value_or(L"(none)"));
    EXPECT_EQ(L"{C2CC3517-9BF6-4CEA-B579-2BC97F6300C7}",
              GetString(root, classes + kClassKey, L"AppID").value_or(L"(none)"));
    EXPECT_EQ(module, GetString(root, classes + kClassKey + L"\\InprocServer32", L"").value_or(L"(none)"));
    EXPECT_EQ(L"Apartment",
              GetString(root, classes + kClassKey + L"\\InprocServer32", L"ThreadingModel").value_or(L"(none)"));
    EXPECT_EQ(L"BRWMon32.IndexChangeMonitor.1",
              GetString(root, classes + kClassKey + L"\\ProgID", L"").value_or(L"(none)"));
    EXPECT_EQ(L"BRWMon32.IndexChangeMonitor",
              GetString(root, classes + kClassKey + L"\\VersionIndependentProgID", L"").value_or(L"(none)"));
    EXPECT_EQ(L"BRWMon32.IndexChangeMonitor.1",
              GetString(root, classes + L"BRWMon32.IndexChangeMonitor\\CurVer", L"").value_or(L"(none)"));
    EXPECT_EQ(L"{B0A2B121-FFF6-41A3-A428-F18CA0B035AF}",
              GetString(root, classes + L"BRWMon32.IndexChangeMonitor.1\\CLSID", L"").value_or(L"(none)"));
    EXPECT_EQ(L"BRWMon32", GetString(root, classes + kAppIdKey, L"").value_or(L"(none)"));
    EXPECT_EQ(L"{C2CC3517-9BF6-4CEA-B579-2BC97F6300C7}",
              GetString(root, classes + L"AppID\\BRWMon32.DLL", L"AppID").value_or(L"(none)"));
}

void ExpectNothingRegistered(HKEY root, const std::wstring& classes)
{
    EXPECT_FALSE(KeyExists(root, classes + kClassKey));
    EXPECT_FALSE(KeyExists(root, classes + L"BRWMon32.IndexChangeMonitor"));
    EXPECT_FALSE(KeyExists(root, classes + L"BRWMon32.IndexChangeMonitor.1"));
    EXPECT_FALSE(KeyExists(root, classes + kAppIdKey));
    EXPECT_FALSE(KeyExists(root, classes + L"AppID\\BRWMon32.DLL"));
    EXPECT_FALSE(KeyExists(root, classes + kLibraryKey));
}

// The registered library as a client of the monitor finds it by its id.
void ExpectLibraryDescribesTheMonitor()
{
    brw::ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadRegTypeLib(kLibraryId, 1, 0, LOCALE_NEUTRAL, library.put()));
    brw::ComPtr<ITypeInfo> monitor;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(brw::IID_IIndexChangeMonitor, monitor.put()));
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, monitor->GetTypeAttr(&attributes));
    EXPECT_EQ(TKIND_INTERFACE, attributes->typekind);
    EXPECT_EQ(2, attributes->cFuncs);
    monitor->ReleaseTypeAttr(attributes);
    const wchar_t* names[] = {L"HasIndexBeenReset", L"Commit"};
    for (UINT index = 0; index < 2; ++index) {
        brw::Bstr name;
        ASSERT_EQ(S_OK, monitor->GetDocumentation(static_cast<MEMBERID>(0x60010000 + index), name.put(), nullptr,
                                                  nullptr, nullptr));
        EXPECT_STREQ(names[index], name.get());
    }
    brw::ComPtr<ITypeInfo> monitorClass;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(brw::kIndexChangeMonitorClsid, monitorClass.put()));
    HREFTYPE reference = 0;
    ASSERT_EQ(S_OK, monitorClass->GetRefTypeOfImplType(0, &reference));
    brw::ComPtr<ITypeInfo> defaultInterface;
    ASSERT_EQ(S_OK, monitorClass->GetRefTypeInfo(reference, defaultInterface.put()));
    EXPECT_EQ(monitor.get(), defaultInterface.get()) << "the class's default interface is the monitor's";
}

TEST_F(MonitorModuleTest, PerMachineRegistrationWritesThe32BitClassesAndTakesThemAway)
{
    ASSERT_EQ(S_OK, Call<NoArgumentFn>("DllRegisterServer")());
    ExpectClassRegistered(HKEY_LOCAL_MACHINE, kMachineClasses, ModulePath());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kMachineClasses) + kClassKey, RegistryView::View64))
        << "a 32-bit server registers in the 32-bit view only";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, std::wstring(kUserClasses) + kClassKey));

    brw::ComPtr<brw::IIndexChangeMonitor> monitor;
    EXPECT_EQ(S_OK, CoCreateInstance(brw::kIndexChangeMonitorClsid, nullptr, CLSCTX_INPROC_SERVER,
                                     brw::IID_IIndexChangeMonitor, monitor.put_void()));
    monitor.reset();
    CoFreeUnusedLibraries();
    ExpectLibraryDescribesTheMonitor();

    ASSERT_EQ(S_OK, Call<NoArgumentFn>("DllUnregisterServer")());
    ExpectNothingRegistered(HKEY_LOCAL_MACHINE, kMachineClasses);
    EXPECT_FALSE(FileExists(LibraryFile(ModulePath())));
    brw::ComPtr<ITypeLib> gone;
    EXPECT_EQ(TYPE_E_LIBNOTREGISTERED, LoadRegTypeLib(kLibraryId, 1, 0, LOCALE_NEUTRAL, gone.put()));
    EXPECT_EQ(S_OK, Call<NoArgumentFn>("DllUnregisterServer")()) << "what is gone counts as removed";
}

TEST_F(MonitorModuleTest, InstallForTheUserWritesOnlyTheUsersClasses)
{
    const InstallFn install = Call<InstallFn>("DllInstall");
    for (const wchar_t* command : {L"user", L"USER", L"User extra"}) {
        SCOPED_TRACE(brw::WideToUtf8(command));
        ASSERT_EQ(S_OK, install(TRUE, command));
        ExpectClassRegistered(HKEY_CURRENT_USER, kUserClasses, ModulePath());
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kMachineClasses) + kClassKey));
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, std::wstring(kMachineClasses) + kLibraryKey));
        ASSERT_EQ(S_OK, install(FALSE, command));
        ExpectNothingRegistered(HKEY_CURRENT_USER, kUserClasses);
        EXPECT_FALSE(FileExists(LibraryFile(ModulePath())));
    }
}

TEST_F(MonitorModuleTest, InstallWithoutTheUserWordRegistersForTheMachine)
{
    const InstallFn install = Call<InstallFn>("DllInstall");
    for (const wchar_t* command : {static_cast<const wchar_t*>(nullptr), L"", L"users-not", L" user"}) {
        const bool isUsers = command && std::wstring(command) == L"users-not";
        SCOPED_TRACE(command ? brw::WideToUtf8(command) : "(null)");
        ASSERT_EQ(S_OK, install(TRUE, command));
        const HKEY root = isUsers ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
        ExpectClassRegistered(root, isUsers ? kUserClasses : kMachineClasses, ModulePath());
        ASSERT_EQ(S_OK, install(FALSE, command));
        ExpectNothingRegistered(root, isUsers ? kUserClasses : kMachineClasses);
    }
}

} // namespace
