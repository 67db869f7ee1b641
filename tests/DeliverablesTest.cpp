// What every shipped binary of this tree must be before it does anything:
// a Brimlow Search 2.3 file whose exports are where their callers look, and
// which reports failure, never success, for what it cannot do yet.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "common/Handles.h"
#include "notesdata/ExecuteCommand.h"
#include "tests/support/BuildTrees.h"

namespace {

std::vector<std::wstring> Deliverables()
{
#if defined(_WIN64)
    return {L"handler\\BRWHandler.dll", L"launcher\\BRW.exe"};
#else
    return {L"consolehost\\BRWHC.exe", L"connector\\BRWConnector.exe", L"connector\\BRWClient.dll",
            L"notesdata\\BRWData.dll", L"monitor32\\BRWMon32.dll"};
#endif
}

std::wstring InThisTree(const std::wstring& relative)
{
#if defined(_WIN64)
    return brwtest::BinaryIn64BitTree(relative);
#else
    return brwtest::BinaryIn32BitTree(relative);
#endif
}

std::wstring VersionString(const std::wstring& file, const wchar_t* name)
{
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
    if (size == 0) {
        return L"<no version resource>";
    }
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(file.c_str(), 0, size, block.data())) {
        return L"<unreadable>";
    }
    std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0) {
        return L"<missing>";
    }
    return static_cast<const wchar_t*>(value);
}

TEST(Deliverables, CarryTheProductVersion)
{
    for (const std::wstring& relative : Deliverables()) {
        std::wstring file = InThisTree(relative);
        SCOPED_TRACE(testing::Message() << "file " << std::string(file.begin(), file.end()));
        EXPECT_EQ(VersionString(file, L"ProductName"), L"Brimlow Search");
        EXPECT_EQ(VersionString(file, L"ProductVersion"), L"2.3");
        EXPECT_EQ(VersionString(file, L"FileVersion"), L"2.3");
    }
}

class Library {
public:
    explicit Library(const std::wstring& relative) : module_(LoadLibraryW(InThisTree(relative).c_str())) {}
    HMODULE get() const { return module_.get(); }
    FARPROC operator[](const char* name) const { return GetProcAddress(module_.get(), name); }

    template <class Function>
    Function Get(const char* name) const
    {
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
    }

private:
    brw::ModuleHandle module_;
};

#if !defined(_WIN64)

// The data service imports nnotes.dll, which lies in the stand-in's folder
// of the tree; once loaded, the import is satisfied by name.
class NotesLibrary {
public:
    NotesLibrary() : notes_(L"platform\\notes\\nnotes.dll") {}

private:
    Library notes_;
};

TEST(Deliverables, DataServiceExportsItsNamesAtTheirOrdinals)
{
    NotesLibrary notes;
    Library data(L"notesdata\\BRWData.dll");
    ASSERT_NE(data.get(), nullptr);
    const char* names[] = {"EntryPoint", "ForceIDPasswordPrompt", "GetDatabaseInfo", "SelectDatabase",
                           "GetServerMailInfo", "BRWTemporaryFileMgr_DeleteFiles", "BRWIndexDocument"};
    for (int ordinal = 1; ordinal <= 7; ++ordinal) {
        FARPROC byName = data[names[ordinal - 1]];
        EXPECT_NE(byName, nullptr) << names[ordinal - 1];
        EXPECT_EQ(GetProcAddress(data.get(), MAKEINTRESOURCEA(ordinal)), byName) << names[ordinal - 1];
    }
}

TEST(Deliverables, DataServiceEntryPointMakesAServiceWithOneReference)
{
    NotesLibrary notes;
    Library data(L"notesdata\\BRWData.dll");
    using EntryPointFn = int(WINAPI*)(IExecuteCommand**);
    auto entryPoint = data.Get<EntryPointFn>("EntryPoint");
    ASSERT_NE(entryPoint, nullptr);
    EXPECT_EQ(entryPoint(nullptr), 2);
    IExecuteCommand* service = nullptr;
    ASSERT_EQ(entryPoint(&service), 0);
    ASSERT_NE(service, nullptr);
    EXPECT_EQ(service->AddRef(), 2u);
    EXPECT_EQ(service->Release(), 1u);
    EXPECT_EQ(service->Release(), 0u);
}

TEST(Deliverables, CommandClientMakesAContextOverTheDataService)
{
    // Installed, the client finds the data service beside it; here it lies
    // in another folder of the tree.
    NotesLibrary notes;
    Library data(L"notesdata\\BRWData.dll");
    Library client(L"connector\\BRWClient.dll");
    using InitFn = int(WINAPI*)(DWORD*);
    using FreeFn = int(WINAPI*)(DWORD);
    auto init = client.Get<InitFn>("InitializeCommandContext");
    ASSERT_NE(init, nullptr);
    for (const char* name : {"ClearCommandBuffer", "ExecuteCommand", "GetReturnBufferSize", "GetReturnBuffer",
                             "FreeCommandContext"}) {
        EXPECT_NE(client[name], nullptr) << name;
    }
    EXPECT_NE(init(nullptr), 0);
    DWORD context = 0;
    ASSERT_EQ(init(&context), 0);
    EXPECT_NE(context, 0u);
    EXPECT_EQ(client.Get<FreeFn>("FreeCommandContext")(context), 0);
    EXPECT_NE(client.Get<FreeFn>("FreeCommandContext")(context), 0) << "a context is freed once";
}

#endif

TEST(Deliverables, ComServersRefuseUnknownClasses)
{
#if defined(_WIN64)
    Library server(L"handler\\BRWHandler.dll");
#else
    Library server(L"monitor32\\BRWMon32.dll");
#endif
    ASSERT_NE(server.get(), nullptr);
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using RegisterFn = HRESULT(WINAPI*)();
    auto getClassObject = server.Get<GetClassObjectFn>("DllGetClassObject");
    auto registerServer = server.Get<RegisterFn>("DllRegisterServer");
    ASSERT_NE(getClassObject, nullptr);
    ASSERT_NE(registerServer, nullptr);
    void* factory = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(getClassObject(GUID{}, __uuidof(IClassFactory), &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
#if defined(_WIN64)
    // The handler's classes exist: its protocol handler has a factory.
    // Registration itself writes machine-wide keys and is tested, under a
    // lock, with the handler.
    const CLSID protocol = {0xF7FD5BEC, 0x6B4C, 0x4C41, {0xBC, 0x6D, 0x31, 0x8E, 0x75, 0x67, 0xBC, 0xEB}};
    IClassFactory* protocolFactory = nullptr;
    EXPECT_EQ(getClassObject(protocol, __uuidof(IClassFactory), reinterpret_cast<void**>(&protocolFactory)), S_OK);
    if (protocolFactory) {
        protocolFactory->Release();
    }
#else
    EXPECT_TRUE(FAILED(registerServer()));
#endif
}

}  // namespace
