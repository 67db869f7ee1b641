// Both results folders on the items the shell hands them: well-formed items
// from the delegate allocator, and foreign, truncated and oversized ones laid
// out at the end of a page with an inaccessible page after it.
#include "common/ComHolders.h"
#include "common/ModulePath.h"
#include "handler/shell/SearchResult.h"
#include "handler/shell/SearchResultsShell.h"
#include "handler/tests/ShellItemSupport.h"
#include "tests/support/CallerTrace.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <strsafe.h>

#include <cstring>
#include <string>
#include <vector>

namespace brw {
namespace {

using brwtest::GuardedBytes;
using brwtest::ItemBytes;
using brwtest::ResultItemBytes;
using brwtest::TestItemAllocator;

constexpr wchar_t kRootUrl[] = L"brw://{S-1}/";
constexpr wchar_t kDocumentUrl[] = L"brw://{S-1}/mail/jdoe.nsf/0000001F";
constexpr wchar_t kAttachmentUrl[] = L"brw://{S-1}/mail/jdoe.nsf/0000001F#2#Report.brwtestpdf";

std::wstring TakeName(STRRET* name)
{
    std::wstring text;
    if (name->uType == STRRET_WSTR && name->pOleStr) {
        text = name->pOleStr;
        CoTaskMemFree(name->pOleStr);
    }
    return text;
}

class ResultFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        allocator.Attach(new TestItemAllocator());
        ASSERT_EQ(S_OK, CreateInstance<CSearchResultsShell>(nullptr, IID_IShellFolder, shell.put_void()));
        ASSERT_EQ(S_OK, CreateInstance<CSearchResult>(nullptr, IID_IShellFolder, result.put_void()));
        ComPtr<IDelegateFolder> delegate;
        ASSERT_EQ(S_OK, shell.As(&delegate));
        ASSERT_EQ(S_OK, delegate->SetItemAlloc(allocator.get()));
    }
    void TearDown() override
    {
        shell.reset();
        result.reset();
        allocator.reset();
        CoUninitialize();
    }

    std::wstring NameOf(IShellFolder* folder, PCUITEMID_CHILD item, SHGDNF flags)
    {
        STRRET name = {};
        EXPECT_EQ(S_OK, folder->GetDisplayNameOf(item, flags, &name));
        return TakeName(&name);
    }

    SFGAOF AttributesOf(IShellFolder* folder, PCUITEMID_CHILD item, SFGAOF asked, const char* file = __builtin_FILE(),
                        int line = __builtin_LINE())
    {
        const brwtest::CallerTrace trace(file, line);
        EXPECT_EQ(S_OK, folder->GetAttributesOf(1, &item, &asked));
        return asked;
    }

    ComPtr<TestItemAllocator> allocator;
    ComPtr<IShellFolder> shell;
    ComPtr<IShellFolder> result;
};

TEST_F(ResultFolders, ParsedNameBecomesAnItemBehindTheDelegateHeader)
{
    const std::wstring url = L"BRW://{S-1}/mail/jdoe.nsf/0000001F";
    PIDLIST_RELATIVE item = reinterpret_cast<PIDLIST_RELATIVE>(0x1);
    ULONG eaten = 0;
    ULONG attributes = 0xFFFFFFFF;
    ASSERT_EQ(S_OK,
              shell->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(url.c_str()), &eaten, &item, &attributes));
    EXPECT_EQ(url.size(), eaten);
    EXPECT_EQ(0u, attributes);
    EXPECT_EQ(2 * (url.size() + 2) + 2, allocator->lastRequest);
    const auto* bytes = reinterpret_cast<const BYTE*>(item);
    WORD word = 0;
    std::memcpy(&word, bytes + 2, 2);
    EXPECT_EQ(brwtest::kOuterMarker, word) << "the allocator's header is left alone";
    std::memcpy(&word, bytes + 6, 2);
    EXPECT_EQ(url.size(), word);
    EXPECT_EQ(0, std::memcmp(bytes + 8, url.c_str(), 2 * (url.size() + 1)));
    const auto child = reinterpret_cast<PCUITEMID_CHILD>(item);
    EXPECT_EQ(url, NameOf(shell.get(), child, SHGDN_FORPARSING));
    EXPECT_EQ(url, NameOf(result.get(), child, SHGDN_NORMAL));
    allocator->Free(item);
}

TEST_F(ResultFolders, ParseRefusesOtherSchemesMissingAllocatorsAndNamesTooLong)
{
    PIDLIST_RELATIVE item = nullptr;
    wchar_t other[] = L"http://example.com/brw://";
    EXPECT_EQ(E_FAIL, shell->ParseDisplayName(nullptr, nullptr, other, nullptr, &item, nullptr));
    wchar_t shortName[] = L"brw";
    EXPECT_EQ(E_FAIL, shell->ParseDisplayName(nullptr, nullptr, shortName, nullptr, &item, nullptr));
    wchar_t good[] = L"brw://{S-1}/";
    EXPECT_EQ(E_POINTER, shell->ParseDisplayName(nullptr, nullptr, nullptr, nullptr, &item, nullptr));
    EXPECT_EQ(E_POINTER, shell->ParseDisplayName(nullptr, nullptr, good, nullptr, nullptr, nullptr));
    EXPECT_EQ(E_FAIL, result->ParseDisplayName(nullptr, nullptr, good, nullptr, &item, nullptr))
        << "the result folder has no allocator";
    allocator->failAllocations = true;
    EXPECT_EQ(E_FAIL, shell->ParseDisplayName(nullptr, nullptr, good, nullptr, &item, nullptr));
    allocator->failAllocations = false;

    // The item's size is 16 bits: header, length word, text, NUL and slack.
    std::wstring longest = L"brw://{S-1}/" + std::wstring(32761 - 12, L'a');
    ASSERT_EQ(S_OK, shell->ParseDisplayName(nullptr, nullptr, &longest[0], nullptr, &item, nullptr));
    std::wstring url;
    EXPECT_EQ(longest, NameOf(shell.get(), reinterpret_cast<PCUITEMID_CHILD>(item), SHGDN_FORPARSING));
    allocator->Free(item);
    std::wstring tooLong = longest + L"a";
    item = reinterpret_cast<PIDLIST_RELATIVE>(0x1);
    EXPECT_EQ(E_INVALIDARG, shell->ParseDisplayName(nullptr, nullptr, &tooLong[0], nullptr, &item, nullptr));
    EXPECT_EQ(nullptr, item);
    std::wstring huge = L"brw://" + std::wstring(70000, L'a');
    EXPECT_EQ(E_INVALIDARG, shell->ParseDisplayName(nullptr, nullptr, &huge[0], nullptr, &item, nullptr));
    EXPECT_EQ(0, allocator->liveBlocks());
}

struct BadItem {
    const char* what;
    std::vector<BYTE> bytes;
};

std::vector<BadItem> BadItems()
{
    const std::wstring url = kDocumentUrl;
    const WORD n = WORD(url.size());
    const WORD whole = WORD(8 + 2 * (n + 1));
    std::vector<BYTE> noNul = ResultItemBytes(url);
    noNul[whole - 2] = 'x';
    return {
        {"empty list", {0, 0}},
        {"size word only", ItemBytes(2, 0, L"")},
        {"header without the length", ItemBytes(7, 0, L"")},
        {"length without text", ItemBytes(8, 0, L"")},
        {"no room for the NUL", ItemBytes(WORD(whole - 2), n, url)},
        {"length beyond the item", ItemBytes(whole, 0xFFFF, url + L'\0')},
        {"NUL missing", noNul},
        {"another scheme", ResultItemBytes(L"file://{S-1}/a.nsf/1")},
        {"prefix only partly", ResultItemBytes(L"brw")},
    };
}

TEST_F(ResultFolders, EveryMethodRefusesItemsItCannotReadWithoutReadingPastThem)
{
    const GuardedBytes good(ResultItemBytes(kDocumentUrl));
    for (const BadItem& bad : BadItems()) {
        SCOPED_TRACE(bad.what);
        const GuardedBytes guarded(bad.bytes);
        PCUITEMID_CHILD item = guarded.item();
        for (IShellFolder* folder : {shell.get(), result.get()}) {
            SFGAOF attributes = SFGAO_READONLY;
            EXPECT_EQ(E_FAIL, folder->GetAttributesOf(1, &item, &attributes));
            EXPECT_EQ(SFGAOF(SFGAO_READONLY), attributes);
            EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), folder->CompareIDs(0, item, good.item()));
            EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), folder->CompareIDs(0, good.item(), item));
            STRRET name = {};
            EXPECT_TRUE(FAILED(folder->GetDisplayNameOf(item, SHGDN_FORPARSING, &name)));
            void* object = reinterpret_cast<void*>(0x1);
            EXPECT_EQ(E_FAIL, folder->BindToObject(item, nullptr, IID_IStream, &object));
            EXPECT_EQ(nullptr, object);
            object = reinterpret_cast<void*>(0x1);
            EXPECT_EQ(E_FAIL, folder->GetUIObjectOf(nullptr, 1, &item, IID_IContextMenu, nullptr, &object));
            EXPECT_EQ(nullptr, object);
        }
    }
}

TEST_F(ResultFolders, AttributesAnswerOnlyWhatWasAskedByKind)
{
    const GuardedBytes root(ResultItemBytes(kRootUrl));
    const GuardedBytes attachment(ResultItemBytes(kAttachmentUrl));
    const GuardedBytes document(ResultItemBytes(kDocumentUrl));
    for (IShellFolder* folder : {shell.get(), result.get()}) {
        EXPECT_EQ(SFGAOF(SFGAO_STREAM), AttributesOf(folder, attachment.item(), SFGAO_STREAM | SFGAO_CANCOPY));
        EXPECT_EQ(SFGAOF(SFGAO_STREAM | SFGAO_READONLY | SFGAO_NONENUMERATED),
                  AttributesOf(folder, document.item(), SFGAO_STREAM | SFGAO_READONLY | SFGAO_NONENUMERATED));
        EXPECT_EQ(SFGAOF(SFGAO_FOLDER | SFGAO_HASSUBFOLDER),
                  AttributesOf(folder, root.item(), SFGAO_FOLDER | SFGAO_HASSUBFOLDER | SFGAO_STREAM));
        EXPECT_EQ(SFGAOF(SFGAO_FOLDER), AttributesOf(folder, root.item(), SFGAO_FOLDER));
        EXPECT_EQ(SFGAOF(0), AttributesOf(folder, document.item(), SFGAO_FOLDER | SFGAO_CANRENAME));
        PCUITEMID_CHILD two[] = {document.item(), attachment.item()};
        SFGAOF untouched = SFGAO_CANRENAME;
        EXPECT_EQ(S_OK, folder->GetAttributesOf(2, two, &untouched));
        EXPECT_EQ(SFGAOF(SFGAO_CANRENAME), untouched);
    }
}

TEST_F(ResultFolders, ComparesUrlsWithoutCaseAsSixteenBitCodes)
{
    const GuardedBytes lower(ResultItemBytes(L"brw://{s-1}/a.nsf/0000001f"));
    const GuardedBytes upper(ResultItemBytes(L"BRW://{S-1}/A.NSF/0000001F"));
    const GuardedBytes later(ResultItemBytes(L"brw://{S-1}/b.nsf/0000001F"));
    for (IShellFolder* folder : {shell.get(), result.get()}) {
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0), folder->CompareIDs(0, lower.item(), upper.item()));
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 0xFFFF), folder->CompareIDs(0, upper.item(), later.item()));
        EXPECT_EQ(MAKE_HRESULT(SEVERITY_SUCCESS, 0, 1), folder->CompareIDs(0, later.item(), lower.item()));
        EXPECT_EQ(E_POINTER, folder->CompareIDs(0, nullptr, lower.item()));
    }
}

TEST_F(ResultFolders, TheNamespaceFolderNamesTheRootAndTheResultFolderShowsUrls)
{
    const GuardedBytes root(ResultItemBytes(kRootUrl));
    const GuardedBytes document(ResultItemBytes(kDocumentUrl));
    EXPECT_EQ(L"Brimlow Search", NameOf(shell.get(), root.item(), SHGDN_NORMAL));
    EXPECT_EQ(kRootUrl, NameOf(shell.get(), root.item(), SHGDN_FORPARSING));
    EXPECT_EQ(kRootUrl, NameOf(result.get(), root.item(), SHGDN_NORMAL));
    EXPECT_EQ(kDocumentUrl, NameOf(shell.get(), document.item(), SHGDN_NORMAL));
    const GuardedBytes unparsed(ResultItemBytes(L"brw:nothing"));
    EXPECT_EQ(L"brw:nothing", NameOf(shell.get(), unparsed.item(), SHGDN_INFOLDER));
    EXPECT_EQ(E_POINTER, shell->GetDisplayNameOf(root.item(), SHGDN_NORMAL, nullptr));
}

TEST_F(ResultFolders, UIObjectsForOneItem)
{
    const GuardedBytes document(ResultItemBytes(kDocumentUrl));
    PCUITEMID_CHILD item = document.item();
    ComPtr<IContextMenu> menu;
    ASSERT_EQ(S_OK, shell->GetUIObjectOf(nullptr, 1, &item, IID_IContextMenu, nullptr, menu.put_void()));
    wchar_t verb[16] = {};
    EXPECT_EQ(S_OK, menu->GetCommandString(0, GCS_VERBW, nullptr, reinterpret_cast<char*>(verb), 16));
    EXPECT_EQ(std::wstring(L"Open"), verb);

    ComPtr<IExtractIconW> icon;
    ASSERT_EQ(S_OK, shell->GetUIObjectOf(nullptr, 1, &item, IID_IExtractIconW, nullptr, icon.put_void()));
    wchar_t location[MAX_PATH] = {};
    int index = -1;
    UINT flags = 0xFFFF;
    ASSERT_EQ(S_OK, icon->GetIconLocation(0, location, MAX_PATH, &index, &flags));
    EXPECT_EQ(ModuleFilePath(nullptr), location) << "the module carrying the folder";
    EXPECT_EQ(0, index);
    EXPECT_EQ(0u, flags);
    wchar_t tiny[4] = {};
    EXPECT_EQ(STRSAFE_E_INSUFFICIENT_BUFFER, icon->GetIconLocation(0, tiny, 4, &index, &flags));
    EXPECT_EQ(S_FALSE, icon->Extract(location, 0, nullptr, nullptr, 0));

    void* none = reinterpret_cast<void*>(0x1);
    for (const IID& refused : {IID_IShellLinkW, IID_IQueryInfo, IID_IDataObject}) {
        EXPECT_EQ(E_NOINTERFACE, shell->GetUIObjectOf(nullptr, 1, &item, refused, nullptr, &none));
        EXPECT_EQ(nullptr, none);
    }
    PCUITEMID_CHILD two[] = {item, item};
    EXPECT_EQ(E_INVALIDARG, shell->GetUIObjectOf(nullptr, 2, two, IID_IContextMenu, nullptr, &none));
    EXPECT_EQ(E_POINTER, shell->GetUIObjectOf(nullptr, 1, nullptr, IID_IContextMenu, nullptr, &none));
    EXPECT_EQ(E_POINTER, shell->GetUIObjectOf(nullptr, 1, &item, IID_IContextMenu, nullptr, nullptr));
    EXPECT_EQ(E_NOINTERFACE, result->GetUIObjectOf(nullptr, 1, &item, IID_IExtractIconW, nullptr, &none))
        << "the result folder has no icon of its own";
}

// A file type of the test's own, so the associations show which key they
// were initialised with: a dot and the attachment's extension.
class TestFileType {
public:
    TestFileType()
    {
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kExtensionKey, nullptr, REG_SZ, kProgId, sizeof(kProgId));
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, kCommandKey, nullptr, REG_SZ, kCommand, sizeof(kCommand));
    }
    ~TestFileType()
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kExtensionKey);
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, kProgIdKey);
    }
    static constexpr wchar_t kExtensionKey[] = L"Software\\Classes\\.brwtestpdf";
    static constexpr wchar_t kProgIdKey[] = L"Software\\Classes\\BrwTest.Pdf";
    static constexpr wchar_t kCommandKey[] = L"Software\\Classes\\BrwTest.Pdf\\shell\\open\\command";
    static constexpr wchar_t kProgId[] = L"BrwTest.Pdf";
    static constexpr wchar_t kCommand[] = L"brwtestviewer.exe \"%1\"";
};

TEST_F(ResultFolders, AssociationsOfAnAttachmentAreThoseOfItsExtension)
{
    const TestFileType type;
    const GuardedBytes attachment(ResultItemBytes(kAttachmentUrl));
    PCUITEMID_CHILD item = attachment.item();
    for (IShellFolder* folder : {shell.get(), result.get()}) {
        ComPtr<IQueryAssociations> associations;
        ASSERT_EQ(S_OK,
                  folder->GetUIObjectOf(nullptr, 1, &item, IID_IQueryAssociations, nullptr, associations.put_void()));
        wchar_t command[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        EXPECT_EQ(S_OK, associations->GetString(0, ASSOCSTR_COMMAND, nullptr, command, &length));
        EXPECT_EQ(std::wstring(TestFileType::kCommand), command);
    }
}

TEST_F(ResultFolders, TheResultFolderKeepsItsOwnIdListAndListsNothing)
{
    ComPtr<IPersistFolder2> persist;
    ASSERT_EQ(S_OK, result.As(&persist));
    PIDLIST_ABSOLUTE none = reinterpret_cast<PIDLIST_ABSOLUTE>(0x1);
    EXPECT_EQ(E_INVALIDARG, persist->GetCurFolder(&none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_INVALIDARG, persist->Initialize(nullptr));

    std::vector<BYTE> list = ResultItemBytes(kDocumentUrl);
    list.push_back(0);
    list.push_back(0);
    ASSERT_EQ(S_OK, persist->Initialize(reinterpret_cast<PCIDLIST_ABSOLUTE>(list.data())));
    list[10] = 'X'; // the folder holds a copy, not the caller's list
    PIDLIST_ABSOLUTE kept = nullptr;
    ASSERT_EQ(S_OK, persist->GetCurFolder(&kept));
    std::wstring url;
    STRRET name = {};
    EXPECT_EQ(S_OK, result->GetDisplayNameOf(reinterpret_cast<PCUITEMID_CHILD>(kept), SHGDN_NORMAL, &name));
    EXPECT_EQ(kDocumentUrl, TakeName(&name));
    CoTaskMemFree(kept);
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(kSearchResultClsid, clsid));

    ComPtr<IEnumIDList> items;
    ASSERT_EQ(S_OK, result->EnumObjects(nullptr, SHCONTF_NONFOLDERS, items.put()));
    PITEMID_CHILD next = nullptr;
    ULONG fetched = 7;
    EXPECT_EQ(S_FALSE, items->Next(1, &next, &fetched));
    EXPECT_EQ(0u, fetched);
    EXPECT_EQ(E_NOTIMPL, shell->EnumObjects(nullptr, SHCONTF_NONFOLDERS, items.put()));
    ComPtr<IShellFolderViewCB> callback;
    ASSERT_EQ(S_OK, result.As(&callback));
    EXPECT_EQ(E_NOTIMPL, callback->MessageSFVCB(0, 0, 0));
}

// What neither folder does is refused with the caller's output cleared, so
// that a caller that reads it anyway finds null rather than its own marker.
TEST_F(ResultFolders, WhatNeitherFolderDoesIsRefusedWithTheOutputCleared)
{
    const GuardedBytes document(ResultItemBytes(kDocumentUrl));
    const PCUITEMID_CHILD child = document.item();
    void* const kMarker = reinterpret_cast<void*>(0x1);
    for (IShellFolder* folder : {shell.get(), result.get()}) {
        SCOPED_TRACE(folder == shell.get() ? "namespace folder" : "result folder");
        void* storage = kMarker;
        EXPECT_EQ(E_NOTIMPL, folder->BindToStorage(child, nullptr, IID_IStream, &storage));
        EXPECT_EQ(nullptr, storage);
        EXPECT_EQ(E_NOTIMPL, folder->BindToStorage(child, nullptr, IID_IStream, nullptr));
        PITEMID_CHILD renamed = reinterpret_cast<PITEMID_CHILD>(kMarker);
        EXPECT_EQ(E_NOTIMPL, folder->SetNameOf(nullptr, child, L"x", SHGDN_NORMAL, &renamed));
        EXPECT_EQ(nullptr, renamed);
        EXPECT_EQ(E_NOTIMPL, folder->SetNameOf(nullptr, child, L"x", SHGDN_NORMAL, nullptr));
        void* view = kMarker;
        EXPECT_EQ(E_NOTIMPL, folder->CreateViewObject(nullptr, IID_IDropTarget, &view));
        EXPECT_EQ(nullptr, view);
    }
}

TEST_F(ResultFolders, TheNamespaceFolderHoldsOneAllocatorAtATime)
{
    ComPtr<TestItemAllocator> second;
    second.Attach(new TestItemAllocator());
    ComPtr<IDelegateFolder> delegate;
    ASSERT_EQ(S_OK, shell.As(&delegate));
    allocator->AddRef();
    const ULONG heldByFolder = allocator->Release();
    ASSERT_EQ(S_OK, delegate->SetItemAlloc(second.get()));
    allocator->AddRef();
    EXPECT_EQ(heldByFolder - 1, allocator->Release()) << "the earlier allocator is let go";
    ComPtr<IPersistFolder> persist;
    ASSERT_EQ(S_OK, shell.As(&persist));
    CLSID clsid = {};
    EXPECT_EQ(S_OK, persist->GetClassID(&clsid));
    EXPECT_TRUE(IsEqualCLSID(kSearchResultsShellClsid, clsid));
    EXPECT_EQ(E_POINTER, persist->GetClassID(nullptr));
    EXPECT_EQ(S_OK, persist->Initialize(nullptr));
}

} // namespace
} // namespace brw
