// What every shipped binary of this tree must be before it does anything:
// a Brimlow Search 2.3 file whose exports are where their callers look, and
// which reports failure, never success, for what it cannot do yet.
#include "common/Handles.h"
#include "notesdata/commands/ExecuteCommand.h"
#include "tests/support/BuildTrees.h"

#include <windows.h>
#include <objbase.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

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
        EXPECT_EQ(L"Brimlow Search", VersionString(file, L"ProductName"));
        EXPECT_EQ(L"2.3", VersionString(file, L"ProductVersion"));
        EXPECT_EQ(L"2.3", VersionString(file, L"FileVersion"));
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
    ASSERT_NE(nullptr, data.get());
    const char* names[] = {"EntryPoint",        "ForceIDPasswordPrompt",           "GetDatabaseInfo", "SelectDatabase",
                           "GetServerMailInfo", "BRWTemporaryFileMgr_DeleteFiles", "BRWIndexDocument"};
    for (int ordinal = 1; ordinal <= 7; ++ordinal) {
        FARPROC byName = data[names[ordinal - 1]];
        EXPECT_NE(nullptr, byName) << names[ordinal - 1];
        EXPECT_EQ(GetProcAddress(data.get(), MAKEINTRESOURCEA(ordinal)), byName) << names[ordinal - 1];
    }
}

TEST(Deliverables, DataServiceEntryPointMakesAServiceWithOneReference)
{
    NotesLibrary notes;
    Library data(L"notesdata\\BRWData.dll");
    using EntryPointFn = int(WINAPI*)(IExecuteCommand**);
    auto entryPoint = data.Get<EntryPointFn>("EntryPoint");
    ASSERT_NE(nullptr, entryPoint);
    EXPECT_EQ(2, entryPoint(nullptr));
    IExecuteCommand* service = nullptr;
    ASSERT_EQ(0, entryPoint(&service));
    ASSERT_NE(nullptr, service);
    EXPECT_EQ(2u, service->AddRef());
    EXPECT_EQ(1u, service->Release());
    EXPECT_EQ(0u, service->Release());
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
    ASSERT_NE(nullptr, init);
    for (const char* name :
         {"ClearCommandBuffer", "ExecuteCommand", "GetReturnBufferSize", "GetReturnBuffer", "FreeCommandContext"}) {
        EXPECT_NE(nullptr, client[name]) << name;
    }
    EXPECT_NE(0, init(nullptr));
    DWORD context = 0;
    ASSERT_EQ(0, init(&context));
    EXPECT_NE(0u, context);
    EXPECT_EQ(0, client.Get<FreeFn>("FreeCommandContext")(context));
    EXPECT_NE(0, client.Get<FreeFn>("FreeCommandContext")(context)) << "a context is freed once";
}

#endif

TEST(Deliverables, ComServersRefuseUnknownClasses)
{
#if defined(_WIN64)
    Library server(L"handler\\BRWHandler.dll");
#else
    Library server(L"monitor32\\BRWMon32.dll");
#endif
    ASSERT_NE(nullptr, server.get());
    using GetClassObjectFn = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
    using RegisterFn = HRESULT(WINAPI*)();
    auto getClassObject = server.Get<GetClassObjectFn>("DllGetClassObject");
    auto registerServer = server.Get<RegisterFn>("DllRegisterServer");
    ASSERT_NE(nullptr, getClassObject);
    ASSERT_NE(nullptr, registerServer);
    void* factory = reinterpret_cast<void*>(0x1234);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(GUID{}, __uuidof(IClassFactory), &factory));
    EXPECT_EQ(nullptr, factory);
#if defined(_WIN64)
    // The handler's classes exist: its protocol handler has a factory.
    // Registration itself writes machine-wide keys and is tested, under a
    // lock, with the handler.
    const CLSID protocol = {0xF7FD5BEC, 0x6B4C, 0x4C41, {0xBC, 0x6D, 0x31, 0x8E, 0x75, 0x67, 0xBC, 0xEB}};
    IClassFactory* protocolFactory = nullptr;
    EXPECT_EQ(S_OK, getClassObject(protocol, __uuidof(IClassFactory), reinterpret_cast<void**>(&protocolFactory)));
    if (protocolFactory) {
        protocolFactory->Release();
    }
#else
    // The monitor's class exists; its registration is tested, under a lock,
    // with the monitor.
    const CLSID monitor = {0xB0A2B121, 0xFFF6, 0x41A3, {0xA4, 0x28, 0xF1, 0x8C, 0xA0, 0xB0, 0x35, 0xAF}};
    IClassFactory* monitorFactory = nullptr;
    EXPECT_EQ(S_OK, getClassObject(monitor, __uuidof(IClassFactory), reinterpret_cast<void**>(&monitorFactory)));
    if (monitorFactory) {
        monitorFactory->Release();
    }
#endif
}

} // namespace
