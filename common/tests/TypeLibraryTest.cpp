// Type libraries built from a description: what a client loading the file
// finds (names, ids, the IUnknown base, vtable offsets, the default
// interface), descriptions that cannot be built, and the keys and file that
// registration for the current user writes and takes away.
#include "common/TypeLibrary.h"

#include "common/ComHolders.h"
#include "tests/support/ScratchFolder.h"
#include "tests/support/TestRegistry.h"

#include <windows.h>
#include <oleauto.h>
#include <gtest/gtest.h>

#include <string>

namespace {

// {6F1D2C1B-5E0B-4D2A-9C55-0A4C7E3B9D10}: a library of this test only.
constexpr GUID kLibraryId = {0x6F1D2C1B, 0x5E0B, 0x4D2A, {0x9C, 0x55, 0x0A, 0x4C, 0x7E, 0x3B, 0x9D, 0x10}};
constexpr GUID kInterfaceId = {0x6F1D2C1B, 0x5E0B, 0x4D2A, {0x9C, 0x55, 0x0A, 0x4C, 0x7E, 0x3B, 0x9D, 0x11}};
constexpr GUID kClassId = {0x6F1D2C1B, 0x5E0B, 0x4D2A, {0x9C, 0x55, 0x0A, 0x4C, 0x7E, 0x3B, 0x9D, 0x12}};
constexpr wchar_t kLibraryKey[] = L"Software\\Classes\\TypeLib\\{6F1D2C1B-5E0B-4D2A-9C55-0A4C7E3B9D10}";
#ifdef _WIN64
constexpr SYSKIND kThisSystem = SYS_WIN64;
constexpr wchar_t kPlatformKey[] = L"win64";
#else
constexpr SYSKIND kThisSystem = SYS_WIN32;
constexpr wchar_t kPlatformKey[] = L"win32";
#endif

brw::TypeLibraryDescription Library()
{
    brw::TypeLibraryDescription library;
    library.name = L"ProbeLib";
    library.description = L"Probe 1.0 Type Library";
    library.libraryId = kLibraryId;
    library.minorVersion = 10; // written as hex "a" in the registry
    library.interfaces = {{L"IProbe", L"IProbe Interface", kInterfaceId, {L"First", L"Second", L"Third"}}};
    library.classes = {{L"Probe", L"Probe Class", kClassId, 0}};
    return library;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring NameOf(ITypeInfo* info, MEMBERID member)
{
    brw::Bstr name;
    return SUCCEEDED(info->GetDocumentation(member, name.put(), nullptr, nullptr, nullptr)) && name.get()
               ? std::wstring(name.get())
               : std::wstring(L"(none)");
}

class TypeLibraryTest : public ::testing::Test {
protected:
    brwtest::ScratchFolder folder_{L"brwtlb"};
};

TEST_F(TypeLibraryTest, TheWrittenLibraryDescribesTheInterfaceAndTheClass)
{
    const std::wstring path = folder_.Sub(L"probe.tlb");
    ASSERT_EQ(S_OK, brw::WriteTypeLibrary(Library(), path));
    brw::ComPtr<ITypeLib> library;
    ASSERT_EQ(S_OK, LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()));
    TLIBATTR* libraryAttributes = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&libraryAttributes));
    EXPECT_TRUE(IsEqualGUID(kLibraryId, libraryAttributes->guid));
    EXPECT_EQ(kThisSystem, libraryAttributes->syskind);
    EXPECT_EQ(1, libraryAttributes->wMajorVerNum);
    EXPECT_EQ(10, libraryAttributes->wMinorVerNum);
    library->ReleaseTLibAttr(libraryAttributes);

    brw::ComPtr<ITypeInfo> probe;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(kInterfaceId, probe.put()));
    {
        SCOPED_TRACE("an IUnknown interface with its methods after IUnknown's three slots");
        HREFTYPE baseReference = 0;
        ASSERT_EQ(S_OK, probe->GetRefTypeOfImplType(0, &baseReference));
        brw::ComPtr<ITypeInfo> base;
        ASSERT_EQ(S_OK, probe->GetRefTypeInfo(baseReference, base.put()));
        EXPECT_EQ(L"IUnknown", NameOf(base.get(), MEMBERID_NIL));
        for (UINT index = 0; index < 3; ++index) {
            FUNCDESC* method = nullptr;
            ASSERT_EQ(S_OK, probe->GetFuncDesc(index, &method));
            EXPECT_EQ(static_cast<SHORT>((3 + index) * sizeof(void*)), method->oVft);
            EXPECT_EQ(VT_HRESULT, method->elemdescFunc.tdesc.vt);
            EXPECT_EQ(0, method->cParams);
            EXPECT_EQ(CC_STDCALL, method->callconv);
            const MEMBERID member = method->memid;
            probe->ReleaseFuncDesc(method);
            const wchar_t* names[] = {L"First", L"Second", L"Third"};
            EXPECT_EQ(names[index], NameOf(probe.get(), member));
        }
    }
    {
        SCOPED_TRACE("a creatable class whose default interface is IProbe");
        brw::ComPtr<ITypeInfo> probeClass;
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(kClassId, probeClass.put()));
        TYPEATTR* attributes = nullptr;
        ASSERT_EQ(S_OK, probeClass->GetTypeAttr(&attributes));
        EXPECT_EQ(TKIND_COCLASS, attributes->typekind);
        EXPECT_NE(0, attributes->wTypeFlags & TYPEFLAG_FCANCREATE);
        probeClass->ReleaseTypeAttr(attributes);
        INT flags = 0;
        ASSERT_EQ(S_OK, probeClass->GetImplTypeFlags(0, &flags));
        EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
        EXPECT_EQ(L"Probe Class", [&] {
            brw::Bstr text;
            probeClass->GetDocumentation(MEMBERID_NIL, nullptr, text.put(), nullptr, nullptr);
            return text.get() ? std::wstring(text.get()) : std::wstring();
        }());
    }
}

TEST_F(TypeLibraryTest, DescriptionsThatCannotBeBuiltLeaveNoFile)
{
    const std::wstring path = folder_.Sub(L"bad.tlb");
    brw::TypeLibraryDescription noSuchInterface = Library();
    noSuchInterface.classes[0].defaultInterface = 1;
    EXPECT_EQ(E_INVALIDARG, brw::WriteTypeLibrary(noSuchInterface, path));
    EXPECT_FALSE(FileExists(path));
    EXPECT_EQ(E_INVALIDARG, brw::WriteTypeLibrary(Library(), L""));
    const std::wstring inMissingFolder = folder_.Sub(L"missing\\bad.tlb");
    EXPECT_TRUE(FAILED(brw::WriteTypeLibrary(Library(), inMissingFolder)));
    EXPECT_FALSE(FileExists(inMissingFolder));
}

TEST(TypeLibraryPath, TheModulesExtensionBecomesTlb)
{
    EXPECT_EQ(L"C:\\Program Files\\B\\BRWMon32.tlb", brw::TypeLibraryPathFor(L"C:\\Program Files\\B\\BRWMon32.DLL"));
    EXPECT_EQ(L"C:\\b.d\\program.tlb", brw::TypeLibraryPathFor(L"C:\\b.d\\program")) << "a dot in a folder";
    EXPECT_EQ(L"C:\\a\\x.y.tlb", brw::TypeLibraryPathFor(L"C:\\a\\x.y.exe"));
}

TEST_F(TypeLibraryTest, UserRegistrationWritesTheKeysAndTheFileAndTakesBothAway)
{
    brwtest::ScratchKey key(HKEY_CURRENT_USER, kLibraryKey);
    const std::wstring module = folder_.Sub(L"probe.dll");
    const std::wstring file = folder_.Sub(L"probe.tlb");
    const std::wstring version = std::wstring(kLibraryKey) + L"\\1.a";
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round == 0 ? "first registration" : "again over the first");
        ASSERT_EQ(S_OK, brw::RegisterTypeLibrary(Library(), module, brw::RegistrationScope::User));
        EXPECT_EQ(L"Probe 1.0 Type Library", brwtest::GetString(HKEY_CURRENT_USER, version, L""));
        EXPECT_EQ(L"0", brwtest::GetString(HKEY_CURRENT_USER, version + L"\\FLAGS", L""));
        EXPECT_EQ(file, brwtest::GetString(HKEY_CURRENT_USER, version + L"\\0\\" + kPlatformKey, L""));
        EXPECT_EQ(folder_.Path(), brwtest::GetString(HKEY_CURRENT_USER, version + L"\\HELPDIR", L""));
        EXPECT_TRUE(FileExists(file));
    }
    EXPECT_FALSE(brwtest::KeyExists(HKEY_LOCAL_MACHINE, L"Software\\Classes\\TypeLib\\"
                                                        L"{6F1D2C1B-5E0B-4D2A-9C55-0A4C7E3B9D10}"));

    EXPECT_EQ(S_OK, brw::UnregisterTypeLibrary(Library(), module, brw::RegistrationScope::User));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, kLibraryKey));
    EXPECT_FALSE(FileExists(file));
    EXPECT_EQ(S_OK, brw::UnregisterTypeLibrary(Library(), module, brw::RegistrationScope::User))
        << "what is gone counts as removed";
}

TEST_F(TypeLibraryTest, ALibraryThatCannotBeWrittenRegistersNothing)
{
    brwtest::ScratchKey key(HKEY_CURRENT_USER, kLibraryKey);
    const std::wstring module = folder_.Sub(L"missing\\probe.dll");
    EXPECT_TRUE(FAILED(brw::RegisterTypeLibrary(Library(), module, brw::RegistrationScope::User)));
    EXPECT_FALSE(brwtest::KeyExists(HKEY_CURRENT_USER, kLibraryKey));
}

} // namespace
